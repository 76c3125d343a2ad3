#include "platform/LzExpand.h"

#include "formats/SzddFormat.h"
#include "platform/Files.h"

#include "platform/win32/Handles.h"

#include <windows.h>
#include <lzexpand.h>

namespace tarvex::platform {

namespace {

using FileHandle = UniqueHandle;

// A handle from LZOpenFileA: an expanding reader or a plain file.
class LzHandle {
public:
    explicit LzHandle(INT h) : h_(h) {}
    ~LzHandle()
    {
        if (h_ >= 0) LZClose(h_);
    }
    LzHandle(const LzHandle&) = delete;
    LzHandle& operator=(const LzHandle&) = delete;
    INT Get() const { return h_; }

private:
    INT h_;
};

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
    FileHandle file(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
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
    LzHandle in(LZOpenFileA(const_cast<char*>(source.c_str()), &sourceInfo, OF_READ | OF_SHARE_DENY_WRITE));
    if (in.Get() < 0) {
        unsigned code = sourceInfo.nErrCode;
        throw LzError(LzError::Stage::OpenSource, code, source + ": " + IoErrorText(code));
    }
    OFSTRUCT destInfo{};
    LzHandle out(LZOpenFileA(const_cast<char*>(dest.c_str()), &destInfo, OF_CREATE | OF_WRITE));
    if (out.Get() < 0) {
        unsigned code = destInfo.nErrCode;
        throw LzError(LzError::Stage::CreateDest, code, dest + ": " + IoErrorText(code));
    }
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
