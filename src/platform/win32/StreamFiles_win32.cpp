#include "platform/StreamFiles.h"

#include <windows.h>

namespace tarvex::platform {

namespace {
HANDLE Handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
} // namespace

ReadableFile::ReadableFile(const std::string& path)
    : path_(path), handle_(reinterpret_cast<std::intptr_t>(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                                       nullptr, OPEN_EXISTING,
                                                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr)))
{
    if (Handle(handle_) == INVALID_HANDLE_VALUE) throw EInOutError(GetLastError(), path);
    // GetFileSize, not GetFileSizeEx: Windows 9x and NT 4.0 lack the latter.
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(Handle(handle_), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        DWORD code = GetLastError();
        CloseHandle(Handle(handle_));
        throw EInOutError(code, path);
    }
    size_ = static_cast<std::uint64_t>(high) << 32 | low;
}

ReadableFile::~ReadableFile() { CloseHandle(Handle(handle_)); }

std::uint64_t ReadableFile::LastWrite() const
{
    FILETIME t;
    if (!GetFileTime(Handle(handle_), nullptr, nullptr, &t)) return 0;
    return static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

void ReadableFile::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size)
{
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    if (SetFilePointer(Handle(handle_), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        throw EInOutError(GetLastError(), path_);
    while (size > 0) {
        DWORD got = 0;
        if (!ReadFile(Handle(handle_), buffer, static_cast<DWORD>(size), &got, nullptr))
            throw EInOutError(GetLastError(), path_);
        if (got == 0) throw EInOutError(38, path_); // the end of the file
        buffer += got;
        size -= got;
    }
}

NewFile::NewFile(const std::string& path)
    : path_(path), handle_(reinterpret_cast<std::intptr_t>(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)))
{
    if (Handle(handle_) == INVALID_HANDLE_VALUE) throw Exception(kCannotCreate + path);
}

NewFile::~NewFile() { CloseHandle(Handle(handle_)); }

void NewFile::Write(const unsigned char* data, std::size_t size)
{
    DWORD written = 0;
    if (!WriteFile(Handle(handle_), data, static_cast<DWORD>(size), &written, nullptr) || written != size)
        throw EInOutError(GetLastError(), path_);
}

bool NewFile::SetLastWrite(std::uint64_t fileTime)
{
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(fileTime);
    t.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    return SetFileTime(Handle(handle_), nullptr, nullptr, &t) != FALSE;
}

std::string TempPath()
{
    char dir[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(sizeof dir, dir);
    std::string path = n == 0 || n > MAX_PATH ? std::string() : std::string(dir, n);
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

bool RemoveFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != FALSE; }

std::uint32_t RunSeed() { return GetCurrentProcessId() * 2654435761u ^ GetTickCount(); }

} // namespace tarvex::platform
