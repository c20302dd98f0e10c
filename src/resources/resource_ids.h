#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDI_LUMBRIX_ICON 101
#define IDB_MENU_BITMAP 102
#define IDR_COMMON_CONTROLS_MANIFEST 2

// LUMBRIX_VERSION_NUMBERS and LUMBRIX_VERSION_TEXT, from project(VERSION).
#include "lumbrix_version.h"
