/* Stand-in for the uninstaller that a real product ships beside setup.exe. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance; (void)previous; (void)show;
    char text[1024];
    wsprintfA(text, "The Tarvex Demo has no real uninstaller.\n\nLog: %s", commandLine);
    MessageBoxA(NULL, text, "Tarvex Demo", MB_OK | MB_ICONINFORMATION);
    return 0;
}
