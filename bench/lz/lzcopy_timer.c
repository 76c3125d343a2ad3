/* Times lz32's LZCopy inside one process, so that the start-up of the
 * process (Wine's in particular) is not counted.
 * usage: lzcopy_timer DEST SRC...   prints "<result> <seconds>" per source. */
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>

int main(int argc, char** argv)
{
    LARGE_INTEGER freq, start, end;
    int i;
    if (argc < 3) {
        fprintf(stderr, "usage: lzcopy_timer DEST SRC...\n");
        return 2;
    }
    QueryPerformanceFrequency(&freq);
    for (i = 2; i < argc; ++i) {
        OFSTRUCT si, di;
        INT in, out;
        LONG result;
        QueryPerformanceCounter(&start);
        in = LZOpenFileA(argv[i], &si, OF_READ);
        out = LZOpenFileA(argv[1], &di, OF_CREATE | OF_WRITE);
        if (in < 0 || out < 0) {
            fprintf(stderr, "cannot open %s (%d) or %s (%d)\n", argv[i], in < 0 ? si.nErrCode : 0, argv[1],
                    out < 0 ? di.nErrCode : 0);
            return 1;
        }
        result = LZCopy(in, out);
        LZClose(out);
        LZClose(in);
        QueryPerformanceCounter(&end);
        printf("%ld %.6f\n", result, (double)(end.QuadPart - start.QuadPart) / (double)freq.QuadPart);
    }
    return 0;
}
