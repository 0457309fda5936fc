#pragma once
// The one material parameter the scene sets.

#include "render/vectorOps.h"

// Front-face diffuse reflectance; alpha is 1 (nothing blends or reads it).
void setDiffuse(const Float3& colour);
