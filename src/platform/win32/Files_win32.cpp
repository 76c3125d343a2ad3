#include "platform/Files.h"

#include "base/Ascii.h"
#include "platform/win32/ReplacingMove.h"
#include "platform/win32/UniqueResource.h"

#include <windows.h>

namespace tarvex::platform {

bool MakeDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool DirectoryExists(const std::string& path)
{
    DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path)
{
    DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

void CheckWritable(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    // The same access and sharing a truncating open for writing would ask for.
    UniqueFile h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) throw EInOutError(GetLastError());
}

namespace {

// The volume and index that name a file, whatever path leads to it.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
{
    const auto open = [&](DWORD share) {
        return UniqueFile(
            CreateFileA(path.c_str(), 0, share, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    };
    UniqueFile h = open(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    // Windows 9x refuses FILE_SHARE_DELETE as an invalid parameter.
    if (!h && GetLastError() == ERROR_INVALID_PARAMETER) h = open(FILE_SHARE_READ | FILE_SHARE_WRITE);
    return h && GetFileInformationByHandle(h.Get(), &info);
}

std::string FullPath(const std::string& path)
{
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return n == 0 || n > MAX_PATH ? path : std::string(buffer, n);
}

} // namespace

bool SameFile(const std::string& source, const std::string& dest)
{
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    if (!FileIdentity(source, a) || !FileIdentity(dest, b)) return false;
    if (a.nFileIndexHigh | a.nFileIndexLow)
        return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
               a.nFileIndexLow == b.nFileIndexLow;
    // A file system without file indexes: the full paths, case aside.
    return SameTextAscii(FullPath(source), FullPath(dest));
}

namespace {

ReplacingMove g_replacingMove = nullptr;

// Windows 9x exports MoveFileExA as a stub that answers
// ERROR_CALL_NOT_IMPLEMENTED, so it is looked up and tried.
ReplacingMove SystemReplacingMove()
{
    static const auto found = reinterpret_cast<ReplacingMove>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
    return found;
}

// Without a replacing move: the old file is renamed aside, the new one
// (complete already) renamed into its place, and only then is the old one
// deleted; if the new one cannot be put there, the old one goes back.
void ReplaceByRenames(const std::string& temp, const std::string& dest)
{
    const DWORD attributes = GetFileAttributesA(dest.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (!MoveFileA(temp.c_str(), dest.c_str())) throw EInOutError(GetLastError());
        return;
    }
    // As the replacing move would refuse it.
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) throw EInOutError(ERROR_ACCESS_DENIED);
    const std::size_t slash = dest.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : dest.substr(0, slash + 1);
    char aside[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(folder.c_str(), "tvx", 0, aside)) throw EInOutError(GetLastError());
    // GetTempFileNameA made the name as an empty file; MoveFileA wants it free.
    DeleteFileA(aside);
    if (!MoveFileA(dest.c_str(), aside)) throw EInOutError(GetLastError());
    if (!MoveFileA(temp.c_str(), dest.c_str())) {
        const DWORD failure = GetLastError();
        MoveFileA(aside, dest.c_str());
        throw EInOutError(failure);
    }
    DeleteFileA(aside);
}

} // namespace

void SetReplacingMoveForTesting(ReplacingMove move) { g_replacingMove = move; }

void PutInPlace(const std::string& temp, const std::string& dest)
{
    const ReplacingMove move = g_replacingMove ? g_replacingMove : SystemReplacingMove();
    if (move && move(temp.c_str(), dest.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
    if (move && GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) throw EInOutError(GetLastError());
    ReplaceByRenames(temp, dest);
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    UniqueFile h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) throw Exception(kCannotCreate + path);
    DWORD written = 0;
    if (!WriteFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size())
        throw EInOutError(GetLastError());
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bytes.clear();
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        // A read that fails half-way is a file that cannot be read, not a shorter one.
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) return true;
        bytes.append(buffer, got);
    }
}

bool SetLastWriteTime(const std::string& path, const DosDateTime& local)
{
    FILETIME localTime, utc;
    if (!DosDateTimeToFileTime(local.date, local.time, &localTime)) return false;
    if (!LocalFileTimeToFileTime(&localTime, &utc)) return false;
    UniqueFile h(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return h && SetFileTime(h.Get(), nullptr, nullptr, &utc) != FALSE;
}

bool FileReadable(const std::string& path)
{
    if (!FileExists(path)) return false;
    UniqueFile h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(h);
}

// Unbuffered WriteFile calls: what one returns with is the system's to keep.
JournalFile::JournalFile(const std::string& path)
    : handle_(reinterpret_cast<std::intptr_t>(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)))
{
    if (reinterpret_cast<HANDLE>(handle_) == INVALID_HANDLE_VALUE) throw Exception(kCannotCreate + path);
}

JournalFile::~JournalFile() { CloseHandle(reinterpret_cast<HANDLE>(handle_)); }

bool JournalFile::Write(const std::string& bytes)
{
    DWORD written = 0;
    return WriteFile(reinterpret_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

} // namespace tarvex::platform
