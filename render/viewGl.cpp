#include "render/viewGl.h"

#include "camera/camera.h"
#include "terrain/settings.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {
const GLfloat lightDir1[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat diffuseComp[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLdouble LOOK_EYE_Z = 5.0;   // the fixed look-at backs off this far ...
constexpr GLfloat VIEW_SHIFT_Z = 5.0f; // ... and this shift brings the scene back
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
}
