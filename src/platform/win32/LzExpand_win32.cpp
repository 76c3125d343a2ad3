#include "platform/LzExpand.h"

#include "platform/SzddFormat.h"

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

    OFSTRUCT sourceInfo{};
    const INT opened = LZOpenFileA(const_cast<char*>(source.c_str()), &sourceInfo, OF_READ | OF_SHARE_DENY_WRITE);
    if (opened < 0) {
        unsigned code = sourceInfo.nErrCode;
        throw LzError(LzError::Stage::OpenSource, code, source + ": " + IoErrorText(code));
    }
    LzHandle in(opened);
    OFSTRUCT destInfo{};
    const INT created = LZOpenFileA(const_cast<char*>(dest.c_str()), &destInfo, OF_CREATE | OF_WRITE);
    if (created < 0) {
        unsigned code = destInfo.nErrCode;
        throw LzError(LzError::Stage::CreateDest, code, dest + ": " + IoErrorText(code));
    }
    LzHandle out(created);
    LONG written = LZCopy(in.Get(), out.Get());
    if (written < 0)
        throw LzError(LzError::Stage::Expand, 0, "Unable to expand " + source + ": " + LzErrorText(written));
    if (header.kind != SzddKind::Compressed) return;
    // lz32 reads until the data runs out; the header's length decides.
    if (static_cast<DWORD>(written) < header.length)
        throw LzError(LzError::Stage::Expand, 0,
                      "Unable to expand " + source + ": compressed data ends before its declared length");
    if (static_cast<DWORD>(written) > header.length) {
        HANDLE file = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(out.Get()));
        FILETIME modified{};
        bool dated = GetFileTime(file, nullptr, nullptr, &modified);
        if (SetFilePointer(file, static_cast<LONG>(header.length), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
            !SetEndOfFile(file))
            throw LzError(LzError::Stage::Expand, GetLastError(), "Unable to write " + dest);
        if (dated) SetFileTime(file, nullptr, nullptr, &modified);
    }
}

} // namespace tarvex::platform
