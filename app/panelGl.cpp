// The panel drawn with Dear ImGui through its GLUT and OpenGL2 backends. The window is drawn only
// on events, so a press or a drag's last position waits for the next frame, and a few frames
// follow every input, as ImGui answers some input a frame late.

#include "app/panelGl.h"

#include "app/cellPlace.h"
#include "app/currentRun.h"
#include "app/inputGl.h"
#include "app/keyboard.h"
#include "app/pictureGl.h"
#include "app/planning.h"
#include "app/savedFiles.h"
#include "app/settings.h"
#include "app/windowConsole.h"
#include "app/windowState.h"
#include "planner/moveSet.h"
#include "render/sceneGl.h"
#include "render/viewLayout.h"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr float CELL_FIELD_WIDTH = 120.0f;
constexpr float PLOT_HEIGHT = 50.0f;
constexpr float SWATCH_SIZE = 12.0f;
constexpr float SWATCH_TEXT_INSET = 2.0f; // pixels from the swatch's corner
constexpr int PROFILE_SAMPLES = 120;
// GLUT reports a turn of the wheel as a press and release of these buttons.
constexpr int WHEEL_UP_BUTTON = 3;
constexpr int WHEEL_DOWN_BUTTON = 4;
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

// GLUT's callback, which carries no user data: it reaches the window's panel itself.
void passiveMotion(int x, int y) {
    PanelState& panel = windowState.panel;
    ImGui_ImplGLUT_MotionFunc(x, y);
    panel.framesToFollow = FOLLOW_UP_FRAMES;
    panel.pointerX = x;
    panel.pointerY = y;
    glutPostRedisplay();
}

void pressKey(WindowState& window, unsigned char key) {
    handleKeyDown(key, windowConsole());
    syncPanel(window);
    glutPostRedisplay();
}

// A pair of radio buttons for a two-way setting; choosing the other one presses `key`.
void twoWayChoice(WindowState& window, const char* label, const char* first, const char* second,
                  bool firstIsOn, unsigned char key) {
    ImGui::TextUnformatted(label);
    ImGui::SameLine();
    if (ImGui::RadioButton(first, firstIsOn) && !firstIsOn) {
        pressKey(window, key);
    }
    ImGui::SameLine();
    if (ImGui::RadioButton(second, !firstIsOn) && firstIsOn) {
        pressKey(window, key);
    }
}

// A value with a step down and a step up button, each pressing its key, and a field to type it
// in; true when a value was typed (with Enter) into `value`.
bool stepper(WindowState& window, const char* id, float& value, const char* unit,
             unsigned char down, unsigned char up) {
    ImGui::PushID(id);
    if (ImGui::Button("-")) {
        pressKey(window, down);
    }
    ImGui::SameLine();
    if (ImGui::Button("+")) {
        pressKey(window, up);
    }
    ImGui::SameLine();
    ImGui::PushItemWidth(CELL_FIELD_WIDTH);
    const bool typed =
        ImGui::InputFloat(unit, &value, 0.0f, 0.0f, "%g", ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::PopItemWidth();
    ImGui::PopID();
    return typed;
}

// The start and end as longitude/latitude, shown to the cells' centres' six decimals.
void lonLatFields(EndsLonLat& ends) {
    double* values[] = {&ends.start.lon, &ends.start.lat, &ends.end.lon, &ends.end.lat};
    const char* labels[] = {"start lon", "start lat", "end lon", "end lat"};
    for (int k = 0; k < 4; ++k) {
        ImGui::InputDouble(labels[k], values[k], 0.0, 0.0, "%.6f");
    }
}

void cellsAndPlan(WindowState& window) {
    PanelState& panel = window.panel;
    RouteEnds& editedCells = panel.editedCells;
    const RouteEnds current{settings.startX, settings.startY, settings.endX, settings.endY};
    const double spacing = terrainVertices.shape().spacing;
    const std::optional<EndsLonLat> currentLonLat = endsLonLat(groundReference, spacing, current);
    if (!(current == panel.shownCells)) { // replanned elsewhere: show the new cells
        editedCells = current;
        panel.shownCells = current;
        panel.editedLonLat = currentLonLat.value_or(EndsLonLat{});
    }
    const bool byLonLat = panel.lonLatEntry && currentLonLat;
    ImGui::PushItemWidth(CELL_FIELD_WIDTH);
    if (byLonLat) {
        lonLatFields(panel.editedLonLat);
    } else {
        ImGui::InputInt("start x", &editedCells.startX);
        ImGui::InputInt("start y", &editedCells.startY);
        ImGui::InputInt("end x", &editedCells.endX);
        ImGui::InputInt("end y", &editedCells.endY);
    }
    ImGui::PopItemWidth();
    if (ImGui::Button("Plan")) {
        panel.refusal = byLonLat ? cellsAtLonLat(groundReference, terrainVertices.shape(),
                                                 panel.editedLonLat, editedCells)
                                 : std::string{};
        if (panel.refusal.empty()) {
            panel.refusal = cellEntryRefusal(editedCells);
            if (panel.refusal.empty() || !isCellEntryInRange(editedCells)) {
                submitCellEntry(editedCells, windowConsole().out); // the console's own refusal
            }
        }
        editedCells = current; // refused: the cells in use; taken: the next frame shows the new
        if (currentLonLat && !panel.refusal.empty()) {
            panel.editedLonLat = *currentLonLat;
        }
        glutPostRedisplay();
    }
    ImGui::SameLine();
    if (ImGui::Button("Home")) {
        pressKey(window, 'v');
    }
    // Beside the buttons, so the rest of the panel keeps its place on every ground.
    bool lonLat = panel.lonLatEntry;
    if (currentLonLat) {
        ImGui::SameLine();
        if (ImGui::Checkbox("lon/lat", &lonLat)) {
            panel.lonLatEntry = lonLat;
            editedCells = current;
            panel.editedLonLat = *currentLonLat;
        }
    }
}

void saves(WindowState& window) {
    const PanelState& panel = window.panel;
    if (ImGui::Button("Save picture")) {
        pressPictureKey(window.pictureAsked);
    }
    ImGui::SameLine();
    if (ImGui::Button("Save map files")) {
        waitForPlan(windowConsole().out); // the files hold the finished plan
        saveMapFiles(landscapeRun, windowConsole().out);
    }
    if (!panel.refusal.empty()) {
        ImGui::TextColored(REFUSAL_COLOUR, "%s", panel.refusal.c_str());
    }
    if (!lastSaved().empty()) {
        ImGui::TextWrapped("%s", lastSaved().c_str());
    }
}

// The views, each choosing itself through the keyboard's path.
void viewChoice(WindowState& window) {
    const std::pair<ViewMode, const char*> views[] = {
        {Distance, "distance"}, {Energy, "energy"}, {Time, "time"}};
    ImGui::TextUnformatted("View   ");
    for (const auto& [view, name] : views) {
        ImGui::SameLine();
        if (ImGui::RadioButton(name, settings.viewMode == view) && settings.viewMode != view) {
            submitView(view, windowConsole().out);
            syncPanel(window);
            glutPostRedisplay();
        }
    }
}

void settingsControls(WindowState& window) {
    twoWayChoice(window, "Planner", "sweep", "exact", settings.planner == PlannerKind::Sweep, 'e');
    viewChoice(window);
    const ViewMode view = settings.viewMode;
    float rings = view == Distance ? settings.distanceRings
                  : view == Time   ? settings.timeRings
                                   : settings.energyRings;
    float width = view == Distance ? settings.distanceIncrement
                  : view == Time   ? settings.timeIncrement
                                   : settings.energyIncrement;
    const char* unit = view == Distance ? "m a ring" : view == Time ? "min a ring" : "J a ring";
    bool typed = stepper(window, "rings", rings, "rings", '[', ']');
    typed |= stepper(window, "width", width, unit, '{', '}');
    if (typed) {
        window.panel.refusal = ringRefusal(rings, width);
        if (window.panel.refusal.empty()) {
            submitRings(rings, width, windowConsole().out);
        }
        glutPostRedisplay();
    }
    if (ImGui::Button("+5")) {
        pressKey(window, 'S');
    }
    ImGui::SameLine();
    ImGui::Text("speed %g mph", double(settings.speedMph));
}

// The vehicle and the barrier switch: a value typed (with Enter) or stepped replans at once.
void vehicleControls(PanelState& panel) {
    Vehicle v = settings.vehicle;
    bool barriersOn = settings.barriersOn;
    const ImGuiInputTextFlags enter = ImGuiInputTextFlags_EnterReturnsTrue;
    ImGui::PushItemWidth(CELL_FIELD_WIDTH);
    bool changed = ImGui::InputDouble("% up", &v.gradeUpPercent, 1.0, 5.0, "%.1f", enter);
    changed |= ImGui::InputDouble("% down", &v.gradeDownPercent, 1.0, 5.0, "%.1f", enter);
    changed |= ImGui::InputFloat("kg", &v.vehicleMass, 100.0f, 1000.0f, "%g", enter);
    changed |= ImGui::InputFloat("descent", &v.descent, 0.1f, 0.5f, "%.2f", enter);
    changed |= ImGui::InputFloat("rolling", &v.rolling, 0.005f, 0.05f, "%.3f", enter);
    changed |= ImGui::InputDouble("km/h top", &v.topSpeedKmh, 5.0, 20.0, "%g", enter);
    changed |= ImGui::InputDouble("kW (0 none)", &v.powerKw, 10.0, 50.0, "%g", enter);
    changed |= ImGui::InputDouble("% side (0 none)", &v.sideSlopePercent, 1.0, 5.0, "%g", enter);
    ImGui::PopItemWidth();
    if (!landscapeRun.barriers.empty()) {
        changed |= ImGui::Checkbox("no-go areas", &barriersOn);
    }
    if (!changed) {
        return;
    }
    panel.refusal = vehicleRefusal(v);
    if (panel.refusal.empty()) {
        submitVehicle(v, barriersOn, windowConsole().out);
    }
    glutPostRedisplay();
}

// The corridor of nearly-best routes: its switch and its width, a percentage of the best route's
// cost typed with Enter.
void corridorControls(PanelState& panel) {
    bool on = landscapeRun.corridorOn;
    double percent = landscapeRun.corridorPercent;
    bool changed = ImGui::Checkbox("corridor", &on);
    ImGui::SameLine();
    ImGui::PushItemWidth(CELL_FIELD_WIDTH);
    changed |= ImGui::InputDouble("% of the best route", &percent, 0.0, 0.0, "%g",
                                  ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::PopItemWidth();
    if (!changed) {
        return;
    }
    panel.refusal = corridorRefusal(on, percent);
    if (panel.refusal.empty()) {
        submitCorridor(on, percent, windowConsole().out);
    }
    glutPostRedisplay();
}

// The moves a plan takes out of a cell: another choice replans like a vehicle value.
void movesControl(PanelState& panel) {
    const int current = settings.moves;
    ImGui::PushItemWidth(CELL_FIELD_WIDTH);
    if (ImGui::BeginCombo("moves", std::to_string(current).c_str())) {
        for (const int count : MOVE_COUNTS) {
            if (ImGui::Selectable(std::to_string(count).c_str(), count == current) &&
                count != current) {
                panel.refusal = movesRefusal(count);
                if (panel.refusal.empty()) {
                    submitMoves(count, windowConsole().out);
                }
                glutPostRedisplay();
            }
        }
        ImGui::EndCombo();
    }
    ImGui::PopItemWidth();
}

// The trip's via points in order, each with its cell, its leg's totals (the leg that ends at it)
// and buttons that remove it or move it one place; each change plans the trip anew.
void viaControls(const Scene& scene) {
    const std::vector<Cell> via = settings.via;
    std::optional<std::vector<Cell>> edited;
    if (ImGui::Button("Clear via points")) {
        edited = std::vector<Cell>{};
    }
    // Until the plan of a change ends, its legs are not known yet.
    const bool planned = scene.legVia == via;
    for (std::size_t k = 0; k < via.size(); ++k) {
        ImGui::PushID(static_cast<int>(k));
        ImGui::Text("%zu. (%d, %d)", k + 1, via[k].x, via[k].y);
        const std::pair<const char*, ViaEdit> buttons[] = {
            {"remove", ViaEdit::Remove}, {"up", ViaEdit::Up}, {"down", ViaEdit::Down}};
        for (const auto& [label, edit] : buttons) {
            ImGui::SameLine();
            if (ImGui::SmallButton(label)) {
                edited = editedVia(via, k, edit);
            }
        }
        ImGui::PushTextWrapPos(0.0f);
        ImGui::TextUnformatted(planned && k < scene.legTexts.size() ? scene.legTexts[k].c_str()
                                                                    : PLANNING_WORK);
        ImGui::PopTextWrapPos();
        ImGui::PopID();
    }
    if (edited && !(*edited == via)) {
        submitViaPoints(*edited, windowConsole().out);
        glutPostRedisplay();
    }
}

void totals(const Scene& scene) {
    // The console's texts, without their leading breaks and with a space for each tab, which
    // keeps the lines narrow enough for the panel.
    for (const Overlay& overlay : scene.overlays) {
        std::string report = overlay.report;
        std::replace(report.begin(), report.end(), '\t', ' ');
        const size_t first = report.find_first_not_of("\n ");
        // A trip's leg lines are wider than the panel: they wrap at its edge.
        ImGui::PushTextWrapPos(0.0f);
        ImGui::TextUnformatted(report.c_str() + (first == std::string::npos ? 0 : first));
        ImGui::PopTextWrapPos();
    }
    const std::string steepest = steepestAlongText(scene.profile);
    if (!steepest.empty()) {
        ImGui::TextUnformatted(steepest.c_str());
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
        // The lean from level up to the steepest the route takes, or the vehicle's limit.
        const std::vector<float> sides =
            profileSamples(p, &ProfilePoint::sideSlope, PROFILE_SAMPLES);
        const float sideTop = std::max({1.0f, static_cast<float>(p.sideSlopeMax),
                                        static_cast<float>(settings.vehicle.sideSlopePercent)});
        const std::string sideAxis = axisRange("side slope", 0.0f, sideTop, "%");
        ImGui::PlotLines("##side", sides.data(), PROFILE_SAMPLES, 0, sideAxis.c_str(), 0.0f,
                         sideTop, size);
        ImGui::TextUnformatted(axisRange("along the route", 0.0f, r.length, "m").c_str());
    }
    ImGui::TextUnformatted(profileReport(p, scene.costUnit).c_str());
}

void legend(const Scene& scene, const GroundCover& cover) {
    const ImGuiColorEditFlags flags = ImGuiColorEditFlags_NoTooltip | ImGuiColorEditFlags_NoPicker |
                                      ImGuiColorEditFlags_NoDragDrop;
    for (size_t k = 0; k < scene.legend.size(); ++k) {
        const LegendEntry& entry = scene.legend[k];
        ImGui::PushID(static_cast<int>(k));
        const Float3& c = entry.colour;
        ImGui::ColorButton("##shade", ImVec4(c[0], c[1], c[2], 1.0f), flags,
                           ImVec2(SWATCH_SIZE, SWATCH_SIZE));
        if (!entry.swatchText.empty()) {
            const ImVec2 corner = ImGui::GetItemRectMin();
            ImGui::GetWindowDrawList()->AddText(
                ImVec2(corner.x + SWATCH_TEXT_INSET, corner.y - SWATCH_TEXT_INSET), IM_COL32_BLACK,
                entry.swatchText.c_str());
        }
        ImGui::SameLine();
        ImGui::TextUnformatted(entry.label.c_str());
        ImGui::PopID();
    }
    for (const std::string& line : coverLegendLines(cover)) {
        ImGui::TextUnformatted(line.c_str());
    }
}

void underCursor(const WindowState& window) {
    const PanelState& panel = window.panel;
    if (panel.pointerX < 0 || ImGui::GetIO().WantCaptureMouse) {
        ImGui::TextUnformatted("Point at the ground");
        return;
    }
    const std::optional<Cell> cell =
        cellUnderPixel(window.scene, sceneInputs(landscapeRun), panel.pointerX, panel.pointerY);
    if (!cell) {
        ImGui::TextUnformatted("Off the ground");
        return;
    }
    // The tables and the grid are the worker's until its plan ends.
    if (planUnderWay()) {
        ImGui::TextUnformatted(planningViewText().c_str());
        ImGui::TextUnformatted(cellPlaceReport(cell->x, cell->y).c_str());
        return;
    }
    const LandscapeRun& run = landscapeRun;
    ImGui::TextUnformatted(cellReport(run.terrain, run.tables, cell->x, cell->y).c_str());
    const std::string time = cellTimeReport(run.grid, run.cover, run.tables, cell->x, cell->y);
    if (!time.empty()) {
        ImGui::TextUnformatted(time.c_str());
    }
    const std::string ground = cellGroundReport(run.grid, activeBarriers(run), run.cover,
                                                run.settings.vehicle, cell->x, cell->y);
    if (!ground.empty()) {
        ImGui::TextUnformatted(ground.c_str());
    }
    ImGui::TextUnformatted(cellPlaceReport(cell->x, cell->y).c_str());
}

void panelWindow(WindowState& window) {
    // The panel fills its strip beside the view and stays there.
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(window.scene.currentViewWidth), 0.0f),
                            ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(PANEL_STRIP_WIDTH, ImGui::GetIO().DisplaySize.y),
                             ImGuiCond_Always);
    ImGui::Begin("Landscape", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse);
    const ImVec2 pos = ImGui::GetWindowPos();
    const ImVec2 size = ImGui::GetWindowSize();
    window.panel.panelRect = {pos.x, pos.y, size.x, size.y};
    const Scene& scene = window.scene.scene;
    cellsAndPlan(window);
    saves(window);
    ImGui::Separator();
    // Only a trip has this part, so that without via points every control keeps its place.
    if (!settings.via.empty() &&
        ImGui::CollapsingHeader("Via points", ImGuiTreeNodeFlags_DefaultOpen)) {
        viaControls(scene);
    }
    // What a plan gives is open; the controls fold, so that the totals, the profile and the
    // legend show in a window of the view's height.
    const ImGuiTreeNodeFlags open = ImGuiTreeNodeFlags_DefaultOpen;
    if (ImGui::CollapsingHeader("Planner and rings")) {
        settingsControls(window);
        corridorControls(window.panel);
    }
    if (ImGui::CollapsingHeader("Vehicle")) {
        vehicleControls(window.panel);
        movesControl(window.panel);
    }
    if (ImGui::CollapsingHeader("Under the cursor")) {
        underCursor(window);
    }
    if (ImGui::CollapsingHeader("Route totals", open)) {
        totals(scene);
    }
    if (ImGui::CollapsingHeader("Profile", open)) {
        profile(scene);
    }
    if (ImGui::CollapsingHeader("Legend", open)) {
        legend(scene, landscapeRun.cover);
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

void syncPanel(WindowState& window) {
    PanelState& panel = window.panel;
    if (settings.panelVisible == panel.passiveMotionRegistered) {
        return;
    }
    panel.passiveMotionRegistered = settings.panelVisible;
    glutPassiveMotionFunc(panel.passiveMotionRegistered ? passiveMotion : nullptr);
    // The window gains or gives back the strip; the view keeps its width (the next reshape
    // subtracts the strip again).
    glutReshapeWindow(window.scene.currentViewWidth + panelStripWidth(settings.panelVisible),
                      glutGet(GLUT_WINDOW_HEIGHT));
    panel.framesToFollow = FOLLOW_UP_FRAMES;
    panel.dragOnPanel = false;
}

void drawPanel(WindowState& window) {
    if (!settings.panelVisible) {
        return;
    }
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(glutGet(GLUT_WINDOW_WIDTH)),
                            static_cast<float>(glutGet(GLUT_WINDOW_HEIGHT)));
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame(); // starts the ImGui frame too
    panelWindow(window);
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    PanelState& panel = window.panel;
    panel.pressUnseen = false;
    panel.motionUnseen = false;
    if (panel.heldMotion) {
        ImGui_ImplGLUT_MotionFunc(panel.heldMotion->x, panel.heldMotion->y);
        panel.heldMotion.reset();
        panel.motionUnseen = true;
        glutPostRedisplay();
    } else if (panel.heldRelease) {
        const PanelState::Release& release = *panel.heldRelease;
        ImGui_ImplGLUT_MouseFunc(release.button, GLUT_UP, release.x, release.y);
        panel.heldRelease.reset();
        glutPostRedisplay();
    }
    if (panel.framesToFollow > 0) {
        --panel.framesToFollow;
        glutPostRedisplay();
    }
}

bool panelTakesMouseButton(PanelState& panel, int button, int state, int x, int y) {
    if (!settings.panelVisible) {
        return false;
    }
    if (button == WHEEL_UP_BUTTON || button == WHEEL_DOWN_BUTTON) {
        // Over the view a turn of the wheel stays a press as any other button's.
        if (!panel.panelRect.contains(x, y)) {
            return false;
        }
        if (state == GLUT_DOWN) {
            ImGui_ImplGLUT_MouseWheelFunc(0, button == WHEEL_UP_BUTTON ? 1 : -1, x, y);
            panel.framesToFollow = FOLLOW_UP_FRAMES;
            glutPostRedisplay();
        }
        return true;
    }
    if (state == GLUT_DOWN) {
        if (!panel.panelRect.contains(x, y) && !ImGui::GetIO().WantCaptureMouse) {
            return false;
        }
        panel.framesToFollow = FOLLOW_UP_FRAMES;
        ImGui_ImplGLUT_MouseFunc(button, state, x, y);
        panel.dragOnPanel = true;
        panel.pressUnseen = true;
        return true;
    }
    if (!panel.dragOnPanel) {
        return false;
    }
    panel.dragOnPanel = false;
    panel.framesToFollow = FOLLOW_UP_FRAMES;
    if (panel.pressUnseen || panel.motionUnseen || panel.heldMotion) {
        panel.heldRelease = PanelState::Release{button, x, y};
    } else {
        ImGui_ImplGLUT_MouseFunc(button, state, x, y);
    }
    return true;
}

bool panelTakesMotion(PanelState& panel, int x, int y) {
    if (!settings.panelVisible) {
        return false;
    }
    panel.pointerX = x;
    panel.pointerY = y;
    panel.framesToFollow = FOLLOW_UP_FRAMES;
    if (panel.pressUnseen || panel.heldMotion) {
        panel.heldMotion = PanelState::Position{x, y};
        return panel.dragOnPanel;
    }
    ImGui_ImplGLUT_MotionFunc(x, y);
    panel.motionUnseen = panel.dragOnPanel;
    return panel.dragOnPanel;
}

bool panelTakesKey(PanelState& panel, unsigned char key, int x, int y) {
    if (!settings.panelVisible) {
        return false;
    }
    ImGui_ImplGLUT_KeyboardFunc(key, x, y);
    panel.framesToFollow = FOLLOW_UP_FRAMES;
    return ImGui::GetIO().WantTextInput;
}

void panelKeyUp(unsigned char key, int x, int y) {
    if (settings.panelVisible) {
        ImGui_ImplGLUT_KeyboardUpFunc(key, x, y);
    }
}

void showProgress(const WindowState& window, const std::string& line) {
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
    const float left = static_cast<float>(window.scene.currentViewWidth);
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
