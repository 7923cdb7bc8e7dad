#pragma once
// What the program is called, its version, and how the desktop knows it: the application's name
// and version, its desktop entry and the icon every window carries.
#include <QIcon>

inline constexpr const char* ProgramName = "Velmora 2";
inline constexpr const char* ProgramVersion = VELMORA_VERSION;
// The name of the desktop entry and of the icon, as installed.
inline constexpr const char* DesktopId = "org.velmora.velmora2";

// The program's icon, in every size it is drawn in.
QIcon ProgramIcon();

// Tells the application object who it is; before the first window is made.
void SetProgramIdentity();
