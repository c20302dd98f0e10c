#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDI_LUMBRIX_ICON 101
#define IDB_MENU_BITMAP 102
#define IDR_COMMON_CONTROLS_MANIFEST 2

#define LUMBRIX_VERSION_NUMBERS 1, 0, 0, 0
#define LUMBRIX_VERSION_TEXT "1.0.0.0"
