#include "app/windowState.h"

WindowState windowState;
