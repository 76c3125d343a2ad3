/* Times from CreateProcess to the program's first window on the screen:
 * a visible top-level window of the new process, which has then gone idle
 * waiting for input (its first page created, shown and painted).
 * usage: startup_timer RUNS PROGRAM...
 * Runs the programs in turn, RUNS times each, ending each run at once, and
 * prints per program the median and the fastest run in milliseconds, then
 * each program's median over the first program's. With TIMER_TITLE set in
 * the environment only a window of that title counts (a one-file setup.exe
 * shows a progress window before its first page). With TIMER_CLEAN set to
 * a folder, what lies in it is deleted after each run: a program ended at
 * once leaves its temporary files, and hundreds of MiB of them left over
 * would slow the next runs' writing. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_PROGRAMS 4
#define MAX_RUNS 101

struct Search {
    DWORD process;
    HWND found;
    const char* title;
};

static BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lp)
{
    struct Search* search = (struct Search*)lp;
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    char text[256];
    if (search->title && (!GetWindowTextA(hwnd, text, sizeof text) || strcmp(text, search->title) != 0))
        return TRUE;
    if (owner == search->process && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

static const char* BaseName(const char* path)
{
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

static int ByValue(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

/* Deletes what lies below folder, not the folder itself. */
static void Clean(const char* folder)
{
    char pattern[MAX_PATH], path[MAX_PATH];
    WIN32_FIND_DATAA found;
    HANDLE search;
    snprintf(pattern, sizeof pattern, "%s\\*", folder);
    search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, "..")) continue;
        snprintf(path, sizeof path, "%s\\%s", folder, found.cFileName);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Clean(path);
            RemoveDirectoryA(path);
        } else {
            DeleteFileA(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

/* Milliseconds to the first window, or a negative value on failure. */
static double TimeOnce(const char* program)
{
    LARGE_INTEGER freq, start, end;
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    struct Search search;
    char command[MAX_PATH + 2];
    char folder[MAX_PATH];
    char* slash;
    DWORD waited;
    snprintf(command, sizeof command, "\"%s\"", program);
    /* The program starts in its own folder, as from a medium's root. */
    strncpy(folder, program, sizeof folder - 1);
    folder[sizeof folder - 1] = 0;
    slash = strrchr(folder, '\\');
    if (slash) *slash = 0;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, slash ? folder : NULL, &si, &pi)) {
        fprintf(stderr, "cannot start %s (%lu)\n", program, GetLastError());
        return -1;
    }
    search.process = pi.dwProcessId;
    search.found = NULL;
    search.title = getenv("TIMER_TITLE");
    for (waited = 0; waited < 60000; ++waited) {
        EnumWindows(FindVisible, (LPARAM)&search);
        if (search.found && WaitForInputIdle(pi.hProcess, 0) == 0) break;
        Sleep(1);
    }
    QueryPerformanceCounter(&end);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (getenv("TIMER_CLEAN")) Clean(getenv("TIMER_CLEAN"));
    if (!search.found) {
        fprintf(stderr, "%s showed no window\n", program);
        return -1;
    }
    return (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)freq.QuadPart;
}

int main(int argc, char** argv)
{
    static double times[MAX_PROGRAMS][MAX_RUNS];
    double medians[MAX_PROGRAMS];
    int runs, programs, run, p;
    if (argc < 3 || (runs = atoi(argv[1])) < 1 || runs > MAX_RUNS || argc - 2 > MAX_PROGRAMS) {
        fprintf(stderr, "usage: startup_timer RUNS(1-%d) PROGRAM...(up to %d)\n", MAX_RUNS, MAX_PROGRAMS);
        return 2;
    }
    programs = argc - 2;
    /* One untimed start each: the first start of a program pays for reading
     * it and its DLLs from disk. */
    for (p = 0; p < programs; ++p)
        if (TimeOnce(argv[2 + p]) < 0) return 1;
    for (run = 0; run < runs; ++run)
        for (p = 0; p < programs; ++p)
            if ((times[p][run] = TimeOnce(argv[2 + p])) < 0) return 1;
    for (p = 0; p < programs; ++p) {
        qsort(times[p], (size_t)runs, sizeof times[p][0], ByValue);
        medians[p] = times[p][runs / 2];
        printf("%-18s median %7.1f ms  fastest %7.1f ms\n", BaseName(argv[2 + p]), medians[p], times[p][0]);
    }
    for (p = 1; p < programs; ++p)
        printf("ratio %s / %s: %.2f\n", BaseName(argv[2 + p]), BaseName(argv[2]), medians[p] / medians[0]);
    return 0;
}
