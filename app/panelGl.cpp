#include "app/panelGl.h"

#include "app/cellPlace.h"
#include "app/inputGl.h"
#include "app/keyboard.h"
#include "app/pictureGl.h"
#include "app/savedFiles.h"
#include "app/windowState.h"
#include "planner/runState.h"
#include "render/sceneGl.h"
#include "render/viewLayout.h"
#include "terrain/settings.h"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr float CELL_FIELD_WIDTH = 120.0f;
constexpr float PLOT_HEIGHT = 50.0f;
constexpr float SWATCH_SIZE = 12.0f;
constexpr int PROFILE_SAMPLES = 120;
const ImVec4 REFUSAL_COLOUR(1.0f, 0.25f, 0.25f, 1.0f); // red, light enough on the dark panel
// ImGui answers some input a frame late (a new window is measured in its first frame and
// shown from its second; a clicked field shows its selection in the frame after), and the
// window is drawn only on events: so a few frames follow every input the panel takes.
constexpr int FOLLOW_UP_FRAMES = 2;
// The progress box across the top of the strip, pixels, and its colours.
constexpr int PROGRESS_BOX_HEIGHT = 28;
constexpr int PROGRESS_TEXT_INSET = 9;
constexpr float PROGRESS_BOX_GREY = 0.1f;
constexpr float PROGRESS_TEXT_GREY = 1.0f;

bool passiveMotionRegistered = false;
int framesToFollow = 0;

struct PanelRect {
    float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
    bool contains(int px, int py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
} panelRect;

// ImGui reads the pointer once a frame, and several events can arrive between two frames: it
// must see a press at the pressed position, and the last position of a drag before its
// release, or a click is lost and a drag falls short. Such events wait for the next frame.
bool dragOnPanel = false;
bool pressUnseen = false;
bool motionUnseen = false;
struct Release {
    int button, x, y;
};
std::optional<Release> heldRelease;
struct Position {
    int x, y;
};
std::optional<Position> heldMotion;

int pointerX = -1; // last pointer position over the window, pixels; -1: not seen yet
int pointerY = -1;

CellEntry editedCells{};
CellEntry shownCells{};
std::string refusal; // why the last Plan was refused; "" when it was taken

void passiveMotion(int x, int y) {
    ImGui_ImplGLUT_MotionFunc(x, y);
    framesToFollow = FOLLOW_UP_FRAMES;
    pointerX = x;
    pointerY = y;
    glutPostRedisplay();
}

void pressKey(unsigned char key) {
    handleKeyDown(key, windowConsole());
    syncPanel();
    glutPostRedisplay();
}

// A pair of radio buttons for a two-way setting; choosing the other one presses `key`.
void twoWayChoice(const char* label, const char* first, const char* second, bool firstIsOn,
                  unsigned char key) {
    ImGui::TextUnformatted(label);
    ImGui::SameLine();
    if (ImGui::RadioButton(first, firstIsOn) && !firstIsOn) {
        pressKey(key);
    }
    ImGui::SameLine();
    if (ImGui::RadioButton(second, !firstIsOn) && firstIsOn) {
        pressKey(key);
    }
}

// A value with a step down and a step up button, each pressing its key.
void stepper(const char* id, const std::string& text, unsigned char down, unsigned char up) {
    ImGui::PushID(id);
    if (ImGui::Button("-")) {
        pressKey(down);
    }
    ImGui::SameLine();
    if (ImGui::Button("+")) {
        pressKey(up);
    }
    ImGui::SameLine();
    ImGui::TextUnformatted(text.c_str());
    ImGui::PopID();
}

std::string formatted(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

void cellsAndPlan() {
    const CellEntry current{settings.startX, settings.startY, settings.endX, settings.endY};
    if (!(current == shownCells)) { // replanned elsewhere: show the new cells
        editedCells = current;
        shownCells = current;
    }
    ImGui::PushItemWidth(CELL_FIELD_WIDTH);
    ImGui::InputInt("start x", &editedCells.startX);
    ImGui::InputInt("start y", &editedCells.startY);
    ImGui::InputInt("end x", &editedCells.endX);
    ImGui::InputInt("end y", &editedCells.endY);
    ImGui::PopItemWidth();
    if (ImGui::Button("Plan")) {
        refusal = cellEntryRefusal(editedCells);
        if (refusal.empty() || !isCellEntryInRange(editedCells)) {
            submitCellEntry(editedCells, windowConsole().out); // the console's own refusal
        }
        editedCells = current; // refused: the cells in use; taken: the next frame shows the new
        glutPostRedisplay();
    }
    ImGui::SameLine();
    if (ImGui::Button("Home")) {
        pressKey('v');
    }
}

void saves() {
    if (ImGui::Button("Save picture")) {
        pressPictureKey();
    }
    ImGui::SameLine();
    if (ImGui::Button("Save map files")) {
        saveMapFiles(windowConsole().out);
    }
    if (!refusal.empty()) {
        ImGui::TextColored(REFUSAL_COLOUR, "%s", refusal.c_str());
    }
    if (!lastSaved().empty()) {
        ImGui::TextWrapped("%s", lastSaved().c_str());
    }
}

void settingsControls() {
    const bool distanceView = settings.viewMode == Distance;
    twoWayChoice("Planner", "sweep", "exact", settings.planner == PlannerKind::Sweep, 'e');
    twoWayChoice("View   ", "distance", "energy", distanceView, 'm');
    const char* unit = distanceView ? "m" : "J";
    const float rings = distanceView ? settings.distanceRings : settings.energyRings;
    const float width = distanceView ? settings.distanceIncrement : settings.energyIncrement;
    stepper("rings", formatted("%g rings", rings), '[', ']');
    stepper("width", formatted("%g ", width) + unit + " a ring", '{', '}');
    if (ImGui::Button("+5")) {
        pressKey('S');
    }
    ImGui::SameLine();
    ImGui::Text("speed %g mph", double(settings.speedMph));
}

// The vehicle and the barrier switch: a value typed (with Enter) or stepped replans at once.
void vehicleControls() {
    Vehicle v = settingsVehicle(settings);
    bool barriersOn = settings.barriersOn;
    const ImGuiInputTextFlags enter = ImGuiInputTextFlags_EnterReturnsTrue;
    ImGui::PushItemWidth(CELL_FIELD_WIDTH);
    bool changed = ImGui::InputDouble("% up", &v.gradeUpPercent, 1.0, 5.0, "%.1f", enter);
    changed |= ImGui::InputDouble("% down", &v.gradeDownPercent, 1.0, 5.0, "%.1f", enter);
    changed |= ImGui::InputFloat("kg", &v.mass, 100.0f, 1000.0f, "%g", enter);
    changed |= ImGui::InputFloat("descent", &v.descent, 0.1f, 0.5f, "%.2f", enter);
    changed |= ImGui::InputFloat("rolling", &v.rolling, 0.005f, 0.05f, "%.3f", enter);
    ImGui::PopItemWidth();
    if (!landscapeRun.barriers.empty()) {
        changed |= ImGui::Checkbox("no-go areas", &barriersOn);
    }
    if (!changed) {
        return;
    }
    refusal = vehicleRefusal(v);
    if (refusal.empty()) {
        submitVehicle(v, barriersOn, windowConsole().out);
    }
    glutPostRedisplay();
}

void totals(const Scene& scene) {
    // The console's texts, without their leading breaks and with a space for each tab, which
    // keeps the lines narrow enough for the panel.
    for (const Overlay& overlay : scene.overlays) {
        std::string report = overlay.report;
        std::replace(report.begin(), report.end(), '\t', ' ');
        const size_t first = report.find_first_not_of("\n ");
        ImGui::TextUnformatted(report.c_str() + (first == std::string::npos ? 0 : first));
    }
}

// The plots span exactly the ranges their labels name.
void profile(const Scene& scene) {
    const Profile& p = scene.profile;
    if (!p.points.empty()) {
        const ProfileRanges r = profileRanges(p);
        const std::vector<float> heights =
            profileSamples(p, &ProfilePoint::height, PROFILE_SAMPLES);
        const std::vector<float> costs = profileSamples(p, &ProfilePoint::cost, PROFILE_SAMPLES);
        const ImVec2 size(ImGui::GetContentRegionAvail().x, PLOT_HEIGHT);
        const std::string heightAxis = axisRange("height", r.lowHeight, r.highHeight, "m");
        ImGui::PlotLines("##height", heights.data(), PROFILE_SAMPLES, 0, heightAxis.c_str(),
                         r.lowHeight, r.highHeight, size);
        const std::string costAxis = axisRange("cost", r.lowCost, r.highCost, scene.costUnit);
        ImGui::PlotLines("##cost", costs.data(), PROFILE_SAMPLES, 0, costAxis.c_str(), r.lowCost,
                         r.highCost, size);
        ImGui::TextUnformatted(axisRange("along the route", 0.0f, r.length, "m").c_str());
    }
    ImGui::TextUnformatted(profileReport(p, scene.costUnit).c_str());
}

void legend(const Scene& scene) {
    const ImGuiColorEditFlags flags = ImGuiColorEditFlags_NoTooltip | ImGuiColorEditFlags_NoPicker |
                                      ImGuiColorEditFlags_NoDragDrop;
    for (size_t k = 0; k < scene.legend.size(); ++k) {
        const LegendEntry& entry = scene.legend[k];
        ImGui::PushID(static_cast<int>(k));
        const Float3& c = entry.colour;
        ImGui::ColorButton("##shade", ImVec4(c[0], c[1], c[2], 1.0f), flags,
                           ImVec2(SWATCH_SIZE, SWATCH_SIZE));
        ImGui::SameLine();
        ImGui::TextUnformatted(entry.label.c_str());
        ImGui::PopID();
    }
}

void underCursor() {
    if (pointerX < 0 || ImGui::GetIO().WantCaptureMouse) {
        ImGui::TextUnformatted("Point at the ground");
        return;
    }
    const std::optional<Cell> cell = cellUnderPixel(windowState.scene, pointerX, pointerY);
    if (!cell) {
        ImGui::TextUnformatted("Off the ground");
        return;
    }
    ImGui::TextUnformatted(cellReport(cell->x, cell->y).c_str());
    ImGui::TextUnformatted(cellPlaceReport(cell->x, cell->y).c_str());
}

void panelWindow() {
    // The panel fills its strip beside the view and stays there.
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(windowState.scene.currentViewWidth), 0.0f),
                            ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(PANEL_STRIP_WIDTH, ImGui::GetIO().DisplaySize.y),
                             ImGuiCond_Always);
    ImGui::Begin("Landscape", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse);
    const ImVec2 pos = ImGui::GetWindowPos();
    const ImVec2 size = ImGui::GetWindowSize();
    panelRect = {pos.x, pos.y, size.x, size.y};
    const Scene& scene = windowState.scene.scene;
    cellsAndPlan();
    saves();
    ImGui::Separator();
    settingsControls();
    const ImGuiTreeNodeFlags open = ImGuiTreeNodeFlags_DefaultOpen;
    if (ImGui::CollapsingHeader("Vehicle", open)) {
        vehicleControls();
    }
    if (ImGui::CollapsingHeader("Under the cursor", open)) {
        underCursor();
    }
    if (ImGui::CollapsingHeader("Route totals", open)) {
        totals(scene);
    }
    if (ImGui::CollapsingHeader("Profile", open)) {
        profile(scene);
    }
    if (ImGui::CollapsingHeader("Legend", open)) {
        legend(scene);
    }
    ImGui::End();
}

} // namespace

void initPanel() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // the program keeps nothing between runs
    io.LogFilename = nullptr;
    io.ConfigInputTextCursorBlink = false; // frames come only with events
    ImGui_ImplGLUT_Init();
    ImGui_ImplOpenGL2_Init();
}

void syncPanel() {
    if (settings.panelVisible == passiveMotionRegistered) {
        return;
    }
    passiveMotionRegistered = settings.panelVisible;
    glutPassiveMotionFunc(passiveMotionRegistered ? passiveMotion : nullptr);
    // The window gains or gives back the strip; the view keeps its width (the next reshape
    // subtracts the strip again).
    glutReshapeWindow(windowState.scene.currentViewWidth + panelStripWidth(settings.panelVisible),
                      glutGet(GLUT_WINDOW_HEIGHT));
    framesToFollow = FOLLOW_UP_FRAMES;
    dragOnPanel = false;
}

void drawPanel() {
    if (!settings.panelVisible) {
        return;
    }
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(glutGet(GLUT_WINDOW_WIDTH)),
                            static_cast<float>(glutGet(GLUT_WINDOW_HEIGHT)));
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame(); // starts the ImGui frame too
    panelWindow();
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    pressUnseen = false;
    motionUnseen = false;
    if (heldMotion) {
        ImGui_ImplGLUT_MotionFunc(heldMotion->x, heldMotion->y);
        heldMotion.reset();
        motionUnseen = true;
        glutPostRedisplay();
    } else if (heldRelease) {
        ImGui_ImplGLUT_MouseFunc(heldRelease->button, GLUT_UP, heldRelease->x, heldRelease->y);
        heldRelease.reset();
        glutPostRedisplay();
    }
    if (framesToFollow > 0) {
        --framesToFollow;
        glutPostRedisplay();
    }
}

bool panelTakesMouseButton(int button, int state, int x, int y) {
    if (!settings.panelVisible) {
        return false;
    }
    if (state == GLUT_DOWN) {
        if (!panelRect.contains(x, y) && !ImGui::GetIO().WantCaptureMouse) {
            return false;
        }
        framesToFollow = FOLLOW_UP_FRAMES;
        ImGui_ImplGLUT_MouseFunc(button, state, x, y);
        dragOnPanel = true;
        pressUnseen = true;
        return true;
    }
    if (!dragOnPanel) {
        return false;
    }
    dragOnPanel = false;
    framesToFollow = FOLLOW_UP_FRAMES;
    if (pressUnseen || motionUnseen || heldMotion) {
        heldRelease = Release{button, x, y};
    } else {
        ImGui_ImplGLUT_MouseFunc(button, state, x, y);
    }
    return true;
}

bool panelTakesMotion(int x, int y) {
    if (!settings.panelVisible) {
        return false;
    }
    pointerX = x;
    pointerY = y;
    framesToFollow = FOLLOW_UP_FRAMES;
    if (pressUnseen || heldMotion) {
        heldMotion = Position{x, y};
        return dragOnPanel;
    }
    ImGui_ImplGLUT_MotionFunc(x, y);
    motionUnseen = dragOnPanel;
    return dragOnPanel;
}

bool panelTakesKey(unsigned char key, int x, int y) {
    if (!settings.panelVisible) {
        return false;
    }
    ImGui_ImplGLUT_KeyboardFunc(key, x, y);
    framesToFollow = FOLLOW_UP_FRAMES;
    return ImGui::GetIO().WantTextInput;
}

void panelKeyUp(unsigned char key, int x, int y) {
    if (settings.panelVisible) {
        ImGui_ImplGLUT_KeyboardUpFunc(key, x, y);
    }
}

void showProgress(const std::string& line) {
    if (!settings.panelVisible) {
        return;
    }
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    // The frame shown stays as it is; only the box is drawn over it.
    glDrawBuffer(GL_FRONT);
    const float left = static_cast<float>(windowState.scene.currentViewWidth);
    glColor3f(PROGRESS_BOX_GREY, PROGRESS_BOX_GREY, PROGRESS_BOX_GREY);
    glRectf(left, static_cast<float>(height - PROGRESS_BOX_HEIGHT), static_cast<float>(width),
            static_cast<float>(height));
    glColor3f(PROGRESS_TEXT_GREY, PROGRESS_TEXT_GREY, PROGRESS_TEXT_GREY);
    glRasterPos2f(left + PROGRESS_TEXT_INSET,
                  static_cast<float>(height - PROGRESS_BOX_HEIGHT + PROGRESS_TEXT_INSET));
    glutBitmapString(GLUT_BITMAP_HELVETICA_12,
                     reinterpret_cast<const unsigned char*>(line.c_str()));
    glFlush();
    glDrawBuffer(GL_BACK);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
