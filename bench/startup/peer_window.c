/* The peers of the start-up benchmark: the least a Win32 program does to put
 * one window on the screen (a class, a window of the wizard's size, a
 * message loop). Built with SETUP_IMPORTS it also imports the DLLs that
 * setup.exe imports (and carries its manifest), which tells the cost of
 * loading them from the cost of our own code. */
#include <windows.h>
#ifdef SETUP_IMPORTS
#include <commctrl.h>
#include <lzexpand.h>
#include <objbase.h>
#include <shlobj.h>

/* Referenced, never called: enough to import each DLL. */
void* volatile setupImports[] = {(void*)InitCommonControlsEx, (void*)LZCopy, (void*)CoInitialize,
                                 (void*)SHGetSpecialFolderLocation, (void*)GetFileVersionInfoA,
                                 (void*)RegOpenKeyExA, (void*)timeGetTime};
#endif

static LRESULT CALLBACK PeerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show)
{
    WNDCLASSA wc = {0};
    HWND hwnd;
    MSG msg;
    (void)previous;
    (void)command;
    wc.lpfnWndProc = PeerProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TarvexStartupPeer";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, wc.lpszClassName, "Peer", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                           CW_USEDEFAULT, 491, 393, NULL, NULL, instance, NULL);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
