#include "terrain/groundReference.h"

GroundReference groundReference;
