/* Links two functions that start at Windows Vista, for the import audit to
   refuse. Never run. */
#define _WIN32_WINNT 0x0600
#include <windows.h>

int main(void)
{
    CONDITION_VARIABLE variable;
    InitializeConditionVariable(&variable);
    return (int)(GetTickCount64() & 1);
}
