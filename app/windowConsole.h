#pragma once
// The console the window talks on: its commands print on standard output and its dialogue reads
// standard input. One for the whole window, shared by the keyboard, the panel and pictures.

#include "app/keyboard.h"

Console& windowConsole();
