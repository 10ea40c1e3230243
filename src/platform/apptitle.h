#pragma once

#include <QString>

// The program's title: the main window's caption and every message's caption.
inline QString appTitle()
{
    return QStringLiteral("Tavo表題");
}
