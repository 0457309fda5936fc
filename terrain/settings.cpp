#include "terrain/settings.h"

Settings settings;
bool sceneDirty = false;
unsigned int sceneList = 0;
