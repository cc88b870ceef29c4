#ifndef QUORVEX_PLATFORM_WINUSER_H
#define QUORVEX_PLATFORM_WINUSER_H

#include "wintypes.h"

// Top-level windows, as far as finding one by its class and asking whether it
// shows. A process-wide table that CreateWindowExW, ShowWindow and
// DestroyWindow keep; every function may be called from any thread. A window
// needs its class registered first; no messages are sent (the procedure is
// kept, not called).

#define WS_OVERLAPPED 0x00000000L
#define WS_VISIBLE 0x10000000L
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define CW_USEDEFAULT ((int)0x80000000)

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWNA 8
#define SW_RESTORE 9

typedef WORD ATOM;
typedef LONG_PTR LRESULT;
typedef struct HICON__ *HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__ *HBRUSH;
typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSEXW
{
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
};

extern "C"
{
    ATOM WINAPI RegisterClassExW(const WNDCLASSEXW *lpwcx);
    BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance);
    LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
    HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X,
                                int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                LPVOID lpParam);
    BOOL WINAPI DestroyWindow(HWND hWnd);
    BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
    BOOL WINAPI IsWindowVisible(HWND hWnd);
    BOOL WINAPI IsWindow(HWND hWnd);
    HWND WINAPI FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
}

#endif
