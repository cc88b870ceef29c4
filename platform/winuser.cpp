#include "winuser.h"
#include "winbase.h"
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
    std::vector<QString> classes;
    ATOM next_atom = 0xC000;
};

// Class names compare without regard to case, as Windows does.
bool Registered(const TWindowTable &table, const QString &class_name)
{
    for (const QString &known : table.classes)
        if (known.compare(class_name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

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

extern "C" ATOM WINAPI RegisterClassExW(const WNDCLASSEXW *lpwcx)
{
    if (!lpwcx || lpwcx->cbSize != sizeof(WNDCLASSEXW) || !lpwcx->lpszClassName || !*lpwcx->lpszClassName ||
        !lpwcx->lpfnWndProc)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const QString class_name = TWString::To_QString(lpwcx->lpszClassName);
    TWindowTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (Registered(table, class_name))
    {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    table.classes.push_back(class_name);
    return table.next_atom++;
}

extern "C" BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE)
{
    const QString class_name = TWString::To_QString(lpClassName);
    TWindowTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (auto known = table.classes.begin(); known != table.classes.end(); ++known)
        if (known->compare(class_name, Qt::CaseInsensitive) == 0)
        {
            // Windows refuses while a window of the class exists.
            for (HWND window : table.windows)
                if (window->class_name.compare(class_name, Qt::CaseInsensitive) == 0)
                    return FALSE;
            table.classes.erase(known);
            return TRUE;
        }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

extern "C" LRESULT WINAPI DefWindowProcW(HWND, UINT, WPARAM, LPARAM) { return 0; }

extern "C" HWND WINAPI CreateWindowExW(DWORD, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int, int,
                                       int, int, HWND, HMENU, HINSTANCE, LPVOID)
{
    if (!lpClassName || !*lpClassName)
        return nullptr;
    TWindowTable &table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (!Registered(table, TWString::To_QString(lpClassName)))
    {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    HWND window = new HWND__{TWString::To_QString(lpClassName), TWString::To_QString(lpWindowName),
                             (dwStyle & WS_VISIBLE) != 0};
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
