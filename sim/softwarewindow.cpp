#include "sim/softwarewindow.h"

#include "sim/widetext.h"

HWND TSoftwareWindow::Create(const QString &class_name, const QString &title, bool visible)
{
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = TWideText::Of(class_name);
    // A class registered earlier in the process serves as well.
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return CreateWindowExW(0, TWideText::Of(class_name), TWideText::Of(title),
                           WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0, 0, 640, 480, nullptr, nullptr,
                           window_class.hInstance, nullptr);
}
