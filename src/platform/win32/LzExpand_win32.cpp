#include "platform/LzExpand.h"

#include "formats/SzddFormat.h"
#include "platform/Files.h"

#include "platform/win32/UniqueResource.h"

#include <windows.h>
#include <lzexpand.h>

namespace tarvex::platform {

namespace {

// A handle from LZOpenFileA: an expanding reader or a plain file. Only a
// handle that opened is owned: the failures are other negative numbers.
using LzHandle = UniqueResource<INT, &LZClose, -1>;

const char* LzErrorText(LONG code)
{
    switch (code) {
    case LZERROR_BADINHANDLE: return "invalid input handle";
    case LZERROR_BADOUTHANDLE: return "invalid output handle";
    case LZERROR_READ: return "compressed data is damaged";
    case LZERROR_WRITE: return "write failed";
    case LZERROR_GLOBALLOC:
    case LZERROR_GLOBLOCK: return "out of memory";
    case LZERROR_BADVALUE: return "invalid parameter";
    case LZERROR_UNKNOWNALG: return "unknown compression method";
    default: return "expansion failed";
    }
}

// A file handle as the LZ calls take it.
INT ToLzFile(HANDLE file) { return static_cast<INT>(reinterpret_cast<INT_PTR>(file)); }

// The file's first bytes, read apart from lz32 so that both builds judge a
// header the same way (lz32 copies a cut-short header as plain data).
SzddHeader ReadHeader(const std::string& source)
{
    UniqueFile file(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        unsigned code = GetLastError();
        throw LzError(LzError::Stage::OpenSource, code, source + ": " + IoErrorText(code));
    }
    unsigned char bytes[kSzddHeaderSize];
    DWORD got = 0;
    DWORD total = 0;
    while (total < sizeof bytes && ReadFile(file.Get(), bytes + total, sizeof bytes - total, &got, nullptr) && got > 0)
        total += got;
    return ParseSzddHeader(bytes, total);
}

} // namespace

void LzExpandFile(const std::string& source, const std::string& dest)
{
    SzddHeader header = ReadHeader(source);
    if (header.kind == SzddKind::Truncated)
        throw LzError(LzError::Stage::Expand, 0, "Unable to expand " + source + ": compressed file header is cut short");
    if (header.kind == SzddKind::UnknownMethod)
        throw LzError(LzError::Stage::Expand, 0, "Unable to expand " + source + ": unknown compression method");

    // Opened by CreateFileA, not LZOpenFileA: the OFSTRUCT of that call holds
    // only 128 characters of a path, where Windows paths reach 259.
    UniqueFile sourceFile(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!sourceFile) {
        unsigned code = GetLastError();
        throw LzError(LzError::Stage::OpenSource, code, source + ": " + IoErrorText(code));
    }
    UniqueFile destFile(
        CreateFileA(dest.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!destFile) {
        unsigned code = GetLastError();
        throw LzError(LzError::Stage::CreateDest, code, dest + ": " + IoErrorText(code));
    }
    INT reader = LZInit(ToLzFile(sourceFile.Get()));
    if (reader < 0) throw LzError(LzError::Stage::Expand, 0, "Unable to expand " + source + ": " + LzErrorText(reader));
    // LZClose closes the file under the reader.
    sourceFile.Release();
    LzHandle in(reader);
    LONG written = LZCopy(in.Get(), ToLzFile(destFile.Get()));
    if (written < 0)
        throw LzError(LzError::Stage::Expand, 0, "Unable to expand " + source + ": " + LzErrorText(written));
    if (header.kind != SzddKind::Compressed) return;
    // lz32 reads until the data runs out; the header's length decides.
    if (static_cast<DWORD>(written) < header.length)
        throw LzError(LzError::Stage::Expand, 0,
                      "Unable to expand " + source + ": compressed data ends before its declared length");
    if (static_cast<DWORD>(written) > header.length) {
        HANDLE file = destFile.Get();
        FILETIME modified{};
        bool dated = GetFileTime(file, nullptr, nullptr, &modified);
        if (SetFilePointer(file, static_cast<LONG>(header.length), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
            !SetEndOfFile(file))
            throw LzError(LzError::Stage::Expand, GetLastError(), "Unable to write " + dest);
        if (dated) SetFileTime(file, nullptr, nullptr, &modified);
    }
}

// lz32 expands only into a file: a temporary one, removed when done.
std::uint64_t LzExpandedSize(const std::string& source)
{
    char dir[MAX_PATH + 1] = {};
    char temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n > MAX_PATH || GetTempFileNameA(dir, "tvx", 0, temp) == 0)
        throw LzError(LzError::Stage::CreateDest, GetLastError(), "Unable to create a temporary file");
    struct Removed {
        const char* path;
        ~Removed() { DeleteFileA(path); }
    } removed{temp};
    LzExpandFile(source, temp);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(temp, GetFileExInfoStandard, &data))
        throw LzError(LzError::Stage::Expand, GetLastError(), std::string("Unable to read ") + temp);
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace tarvex::platform
