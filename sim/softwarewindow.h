#ifndef QUORVEX_SOFTWAREWINDOW_H
#define QUORVEX_SOFTWAREWINDOW_H

#include <windows.h>

#include <QString>

// A top-level window of a given window class, as the measurement software's
// main window is found by its class: the class is registered with the
// system's default procedure the first time a window of it is made.
class TSoftwareWindow
{
public:
    // The window, or null when the system refuses it.
    static HWND Create(const QString &class_name, const QString &title, bool visible);
};

#endif
