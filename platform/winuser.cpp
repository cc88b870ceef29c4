#include "winuser.h"
#include "wstring.h"

#include <QString>

#include <mutex>
#include <vector>

// The process's top-level windows: enough for finding one by class and asking
// whether it shows. Guarded by one lock, so any thread may call.

struct HWND__
{
    QString class_name;
    QString window_name;
    bool visible;
};

namespace
{
struct TWindowTable
{
    std::mutex mutex;
    std::vector<HWND> windows;
};

TWindowTable &Table()
{
    static TWindowTable table;
    return table;
}

bool Known(const TWindowTable &table, HWND window)
{
    for (HWND known : table.windows)
        if (known == window)
            return true;
    return false;
}
} // namespace

extern "C" HWND WINAPI CreateWindowExW(DWORD, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int, int,
                                       int, int, HWND, HMENU, HINSTANCE, LPVOID)
{
    if (!lpClassName || !*lpClassName)
        return nullptr;
    HWND window = new HWND__{TWString::To_QString(lpClassName), TWString::To_QString(lpWindowName),
                             (dwStyle & WS_VISIBLE) != 0};
    TWindowTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.windows.push_back(window);
    return window;
}

extern "C" BOOL WINAPI DestroyWindow(HWND hWnd)
{
    TWindowTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (auto known = table.windows.begin(); known != table.windows.end(); ++known)
        if (*known == hWnd)
        {
            table.windows.erase(known);
            delete hWnd;
            return TRUE;
        }
    return FALSE;
}

extern "C" BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    TWindowTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (!Known(table, hWnd))
        return FALSE;
    // The result tells whether the window was visible before.
    const BOOL was_visible = hWnd->visible ? TRUE : FALSE;
    hWnd->visible = nCmdShow != SW_HIDE;
    return was_visible;
}

extern "C" BOOL WINAPI IsWindowVisible(HWND hWnd)
{
    TWindowTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    return Known(table, hWnd) && hWnd->visible ? TRUE : FALSE;
}

extern "C" BOOL WINAPI IsWindow(HWND hWnd)
{
    TWindowTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    return Known(table, hWnd) ? TRUE : FALSE;
}

extern "C" HWND WINAPI FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName)
{
    const QString class_name = TWString::To_QString(lpClassName);
    const QString window_name = TWString::To_QString(lpWindowName);
    TWindowTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    // Class and window names are compared without regard to case, as Windows does.
    for (HWND window : table.windows)
        if ((!lpClassName || window->class_name.compare(class_name, Qt::CaseInsensitive) == 0) &&
            (!lpWindowName || window->window_name.compare(window_name, Qt::CaseInsensitive) == 0))
            return window;
    return nullptr;
}
