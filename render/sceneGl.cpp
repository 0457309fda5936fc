// Emitting the frame with the fixed-function pipeline: view, light and scene transform, the scene
// compiled into one display list (its route reports printed as it is built), and the depth read
// back to find the cell under a pixel.

#include "render/sceneGl.h"

#include "camera/camera.h"
#include "render/viewLayout.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdio>
#include <string>
#include <type_traits>
#include <utility>

static_assert(std::is_same_v<GLdouble, double> && std::is_same_v<GLint, int> &&
                  std::is_same_v<GLuint, unsigned int>,
              "the scene's GL state is declared without the GL headers");

namespace {
const GLfloat lightDir1[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat diffuseComp[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLdouble LOOK_EYE_Z = 5.0;   // the fixed look-at backs off this far ...
constexpr GLfloat VIEW_SHIFT_Z = 5.0f; // ... and this shift brings the scene back
constexpr GLfloat FAR_DEPTH = 1.0f;    // depth of a pixel nothing was drawn at
// How far a map's mesh is pushed back in depth: by its steepest slope in the window times the
// factor, plus units of the depth buffer. The overlays' small lift alone loses to a slope of
// coarse, exaggerated ground, where the mesh between an overlay's corners rises above it.
constexpr GLfloat MAP_MESH_SLOPE_OFFSET = 4.0f;
constexpr GLfloat MAP_MESH_UNIT_OFFSET = 64.0f;
constexpr GLfloat MARKER_NUMBER_GREY = 1.0f;        // white on the via markers' violet
constexpr GLfloat MARKER_NUMBER_HALF_HEIGHT = 4.5f; // pixels: half a digit of Helvetica 12

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

// Each numbered marker's number at its centre, over everything, in bitmap text that keeps its
// size in pixels however far the marker lies.
void drawMarkerNumbers(const std::vector<Marker>& markers) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor3f(MARKER_NUMBER_GREY, MARKER_NUMBER_GREY, MARKER_NUMBER_GREY);
    glPushMatrix();
    glTranslatef(GRID_SHIFT_X, 0.0f, 0.0f);
    for (const Marker& marker : markers) {
        if (marker.number == 0) {
            continue;
        }
        const Quad& q = marker.quad;
        glRasterPos3f((q.tLeft[0] + q.bRight[0]) / 2.0f, (q.tLeft[1] + q.bRight[1]) / 2.0f,
                      q.tLeft[2]);
        const std::string number = std::to_string(marker.number);
        const auto* text = reinterpret_cast<const unsigned char*>(number.c_str());
        // An empty bitmap moves the raster position back so that the number sits centred.
        const float width = static_cast<float>(glutBitmapLength(GLUT_BITMAP_HELVETICA_12, text));
        glBitmap(0, 0, 0.0f, 0.0f, -width / 2.0f, -MARKER_NUMBER_HALF_HEIGHT, nullptr);
        glutBitmapString(GLUT_BITMAP_HELVETICA_12, text);
    }
    glPopMatrix();
    glPopAttrib();
}

void captureMeshMatrices(MeshMatrices& meshMatrices) {
    glPushMatrix();
    glTranslatef(GRID_SHIFT_X, 0.0f, 0.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, meshMatrices.modelview);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, meshMatrices.projection);
    glGetIntegerv(GL_VIEWPORT, meshMatrices.viewport);
}

void drawMesh(const std::vector<MeshQuad>& quads, const MeshGeometry& m) {
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

void drawOverlay(const Overlay& overlay, const SceneInputs& in) {
    beginSceneQuads();
    for (const Cell& cell : overlay.cells) {
        emitQuad(overlayQuad(in, cell.x, cell.y), overlay.colour);
    }
    endSceneQuads();
    std::fputs(overlay.report.c_str(), stdout);
    std::fflush(stdout);
}
} // namespace

void setupView(const Camera& camera) {
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

void applySceneTransform(SceneGlState& gl, const Vec3f& offset, const Vec3f& rotation) {
    glTranslatef(offset.x, offset.y, offset.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
    captureMeshMatrices(gl.meshMatrices);
}

void beginFrame(SceneGlState& gl, const Camera& camera, const Vec3f& offset,
                const Vec3f& rotation) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setupView(camera);
    setupLight();
    applySceneTransform(gl, offset, rotation);
}

void rebuildSceneList(SceneGlState& gl, Scene scene, const SceneInputs& in) {
    gl.scene = std::move(scene);
    const Scene& drawn = gl.scene;
    glDeleteLists(gl.sceneList, 1);
    gl.sceneList = glGenLists(1);
    glNewList(gl.sceneList, GL_COMPILE_AND_EXECUTE);
    if (in.loadedGround) {
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(MAP_MESH_SLOPE_OFFSET, MAP_MESH_UNIT_OFFSET);
    }
    drawMesh(drawn.mesh, in.mesh);
    if (in.loadedGround) {
        glDisable(GL_POLYGON_OFFSET_FILL);
    }
    for (const Overlay& overlay : drawn.overlays) {
        drawOverlay(overlay, in);
    }
    beginSceneQuads();
    for (const Marker& marker : drawn.markers) {
        emitQuad(marker.quad, marker.colour);
    }
    endSceneQuads();
    drawMarkerNumbers(drawn.markers);
    glEndList();
    gl.sceneDirty = false;
}

void replaySceneList(const SceneGlState& gl) {
    glCallList(gl.sceneList);
}

std::optional<Cell> cellUnderPixel(const SceneGlState& gl, const SceneInputs& in, int x, int y) {
    const MeshMatrices& meshMatrices = gl.meshMatrices;
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
    return cellAt(in, sceneX, sceneY);
}

void reshape(SceneGlState& gl, int width, int height, bool panelVisible) {
    gl.currentViewWidth = viewWidthIn(width, panelVisible);
    glViewport(0, 0, gl.currentViewWidth, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW_DEGREES, aspectRatio(gl.currentViewWidth, height), NEAR_PLANE,
                   FAR_PLANE);
    glMatrixMode(GL_MODELVIEW);
}
