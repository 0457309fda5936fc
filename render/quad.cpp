#include "render/quad.h"

Float3 faceNormal(const Float3& tLeft, const Float3& tRight, const Float3& bLeft) {
    return crossProduct(subtract(tLeft, tRight), subtract(tLeft, bLeft));
}
