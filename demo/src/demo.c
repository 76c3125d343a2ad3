/* The demo product: shows a greeting and ends. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance; (void)previous; (void)commandLine; (void)show;
    MessageBoxA(NULL, "Hello from the Tarvex Demo.", "Tarvex Demo", MB_OK | MB_ICONINFORMATION);
    return 0;
}
