#pragma once
// Three-float vectors as the renderer hands them to OpenGL, and the face-normal helpers.

#include <array>

// x, y, z (or red, green, blue); contiguous, so data() feeds the GL *3fv calls directly.
using Float3 = std::array<float, 3>;

// a - b, component by component.
Float3 subtract(const Float3& a, const Float3& b);

// Scales v in place to unit length. A zero vector prints "Error: Zero Length Vector\n" on
// standard output and is left unchanged.
void normalizeVector(Float3& v);

// a x b, normalised by normalizeVector.
Float3 crossProduct(const Float3& a, const Float3& b);
