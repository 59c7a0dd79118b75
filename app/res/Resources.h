// Identifiers of the program's pictures, shared by the resource script and the code.
#pragma once

#define IDI_APPLICATION_ICON 1
#define IDI_TRAY_ON 101
#define IDI_TRAY_SUSPENDED 102
#define IDI_MENU_OPTIONS 111
#define IDI_MENU_CONTENTS 112
#define IDI_MENU_WEBSITE 113
#define IDI_MENU_ABOUT 114
#define IDI_MENU_EXIT 115
#define IDI_MENU_UNDO 116
