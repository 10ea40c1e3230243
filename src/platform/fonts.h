#pragma once

#include <QStringList>

// The Japanese fonts the program asks for, best first, as each system has
// them (fonts_unix.cpp, fonts_win.cpp). Qt takes the first one installed.
namespace Fonts {

// The table's proportional font.
QStringList gridFamilies();

// The printed parts list's fixed-pitch font.
QStringList printFamilies();

} // namespace Fonts
