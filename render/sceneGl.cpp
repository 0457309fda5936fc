#include "render/sceneGl.h"

#include "app/currentRun.h" // until the window state is passed in
#include "camera/camera.h"
#include "render/viewLayout.h"

#include <GL/freeglut.h>
#include <cstdio>

namespace {
const GLfloat lightDir1[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat diffuseComp[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLdouble LOOK_EYE_Z = 5.0;   // the fixed look-at backs off this far ...
constexpr GLfloat VIEW_SHIFT_Z = 5.0f; // ... and this shift brings the scene back
constexpr GLfloat FAR_DEPTH = 1.0f;    // depth of a pixel nothing was drawn at

Scene scene;
void (*afterSceneHook)() = nullptr;
int currentViewWidth = Settings{}.windowWidth; // the run's settings may not exist yet

// The matrices the mesh is drawn with in this frame, for turning a pixel back into a cell.
struct MeshMatrices {
    GLdouble modelview[16];
    GLdouble projection[16];
    GLint viewport[4];
} meshMatrices;

// Front-face diffuse reflectance; alpha is 1 (nothing blends or reads it).
void setDiffuse(const Float3& colour) {
    const GLfloat rgba[4] = {colour[0], colour[1], colour[2], 1.0f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, rgba);
}

// The mesh and the overlays share one placement inside the scene transform.
void beginSceneQuads() {
    glPushMatrix();
    glTranslatef(GRID_SHIFT_X, 0.0f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glBegin(GL_QUADS);
}

void endSceneQuads() {
    glEnd();
    glPopMatrix();
}

void captureMeshMatrices() {
    glPushMatrix();
    glTranslatef(GRID_SHIFT_X, 0.0f, 0.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, meshMatrices.modelview);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, meshMatrices.projection);
    glGetIntegerv(GL_VIEWPORT, meshMatrices.viewport);
}

void drawMesh(const std::vector<MeshQuad>& quads) {
    beginSceneQuads();
    // Neighbouring quadrilaterals mostly share a ring; a material call that would not change
    // the material is left out, which keeps the compiled list short and its replay fast.
    bool first = true;
    Float3 current{};
    for (const MeshQuad& q : quads) {
        if (first || q.colour != current) {
            setDiffuse(q.colour);
            current = q.colour;
            first = false;
        }
        const int i = q.i;
        const int j = q.j;
        const MeshGeometry& m = landscapeRun.mesh;
        glNormal3fv(m.normal(i, j).data());
        glVertex3fv(m.corner(i, j).data());
        glVertex3fv(m.corner(i, j + 1).data());
        glVertex3fv(m.corner(i + 1, j + 1).data());
        glVertex3fv(m.corner(i + 1, j).data());
    }
    endSceneQuads();
}

void emitQuad(const Quad& q, const Float3& colour) {
    setDiffuse(colour);
    glNormal3fv(q.normal.data());
    glVertex3fv(q.tLeft.data());
    glVertex3fv(q.tRight.data());
    glVertex3fv(q.bRight.data());
    glVertex3fv(q.bLeft.data());
}

void drawOverlay(const Overlay& overlay) {
    beginSceneQuads();
    for (const Cell& cell : overlay.cells) {
        emitQuad(overlayQuad(sceneInputs(landscapeRun), cell.x, cell.y), overlay.colour);
    }
    endSceneQuads();
    std::fputs(overlay.report.c_str(), stdout);
    std::fflush(stdout);
}
} // namespace

void setupView() {
    glLoadIdentity();
    camera.applyView();
    gluLookAt(0.0, 0.0, LOOK_EYE_Z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glTranslatef(0.0f, 0.0f, VIEW_SHIFT_Z);
    glRotatef(0.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(0.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(0.0f, 0.0f, 0.0f, 1.0f);
}

void setupLight() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, lightDir1);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuseComp);
}

void applySceneTransform() {
    const Vec3f& offset = settings.sceneOffset;
    const Vec3f& rotation = settings.sceneRotation;
    glTranslatef(offset.x, offset.y, offset.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
    captureMeshMatrices();
}

void rebuildSceneList() {
    scene = buildScene(sceneInputs(landscapeRun));
    glDeleteLists(sceneList, 1);
    sceneList = glGenLists(1);
    glNewList(sceneList, GL_COMPILE_AND_EXECUTE);
    drawMesh(scene.mesh);
    for (const Overlay& overlay : scene.overlays) {
        drawOverlay(overlay);
    }
    beginSceneQuads();
    for (const Marker& marker : scene.markers) {
        emitQuad(marker.quad, marker.colour);
    }
    endSceneQuads();
    glEndList();
    sceneDirty = false;
}

const Scene& currentScene() {
    return scene;
}

void setAfterSceneHook(void (*hook)()) {
    afterSceneHook = hook;
}

std::optional<Cell> cellUnderPixel(int x, int y) {
    const GLint* viewport = meshMatrices.viewport;
    const GLint glY = viewport[3] - 1 - y;
    if (x < 0 || y < 0 || x >= viewport[2] || glY < 0) {
        return std::nullopt;
    }
    GLfloat depth = FAR_DEPTH;
    glReadPixels(x, glY, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    if (depth >= FAR_DEPTH) {
        return std::nullopt;
    }
    GLdouble sceneX = 0.0;
    GLdouble sceneY = 0.0;
    GLdouble sceneZ = 0.0;
    if (gluUnProject(x + 0.5, glY + 0.5, depth, meshMatrices.modelview, meshMatrices.projection,
                     viewport, &sceneX, &sceneY, &sceneZ) != GL_TRUE) {
        return std::nullopt;
    }
    return cellAt(sceneInputs(landscapeRun), sceneX, sceneY);
}

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setupView();
    setupLight();
    applySceneTransform();
    if (sceneDirty) {
        rebuildSceneList();
    } else {
        glCallList(sceneList);
    }
    if (afterSceneHook) {
        afterSceneHook();
    }
    glutSwapBuffers();
}

void reshape(int width, int height) {
    currentViewWidth = viewWidthIn(width, settings.panelVisible);
    glViewport(0, 0, currentViewWidth, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW_DEGREES, aspectRatio(currentViewWidth, height), NEAR_PLANE,
                   FAR_PLANE);
    glMatrixMode(GL_MODELVIEW);
}

int viewWidth() {
    return currentViewWidth;
}
