#pragma once
// Files and directories as the install engine needs them.
#include "base/Exception.h"
#include "platform/FileTimes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex::platform {

extern const char kCannotCreate[]; // "Cannot create file "

// The runtime's text for an I/O error by system error code.
std::string IoErrorText(unsigned systemCode);

// The runtime's I/O error: the message follows the system error code
// (2 "File not found", 5 "File access denied", ..., "I/O error %d").
class EInOutError : public Exception {
public:
    explicit EInOutError(unsigned code);
    // The same text followed by ": " and detail (the file it concerns).
    EInOutError(unsigned code, const std::string& detail);
    unsigned Code() const noexcept { return code_; }

private:
    unsigned code_;
};

// Creates one directory (its parent must exist); false when it could not,
// also when it existed already.
bool MakeDirectory(const std::string& path);
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);
// False when the file could not be deleted (missing, read-only, in use).
bool RemoveFile(const std::string& path);

// Throws EInOutError when an existing file could not be opened for writing
// (read-only: 5, held by another program without sharing: 32). A missing
// file passes.
void CheckWritable(const std::string& path);

// Whether the file read as source and the file dest names are one file,
// whatever the spellings, case or links that lead to it; false when either
// is missing.
bool SameFile(const std::string& source, const std::string& dest);

// Puts the file temp in the place of dest, replacing dest; throws EInOutError.
void PutInPlace(const std::string& temp, const std::string& dest);

// The whole file as the program reads it (a file of the medium where it
// lies); false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Creates the file (replacing any file of that name) with the bytes; throws
// Exception "Cannot create file <path>" when it cannot be created.
void WriteWholeFile(const std::string& path, const std::string& bytes);

// Sets the last-write time of the file from a local MS-DOS date and time;
// false when that could not be done.
bool SetLastWriteTime(const std::string& path, const DosDateTime& local);

// Whether the file can be opened and read whole, as a page loads its text:
// a regular file (a FIFO or device would never answer) that opens for reading.
bool FileReadable(const std::string& path);

// A file written as it goes: each Write has reached the system when it
// returns, so a process killed later leaves every line written before.
class JournalFile {
public:
    // Creates the file, replacing one of that name; throws Exception
    // "Cannot create file <path>".
    explicit JournalFile(const std::string& path);
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;
    // False when not every byte could be written (a full disk).
    bool Write(const std::string& bytes);

private:
    std::intptr_t handle_; // the backend's file handle or descriptor
};

} // namespace tarvex::platform

namespace tarvex::platform {

// The whole file's bytes; false when it cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::string& out);

// Removes a directory that is empty; false when it could not (missing, not
// empty, in use).
bool RemoveEmptyDirectory(const std::string& path);

// The names of a directory's entries, files and folders, sorted by ASCII
// order without case; at most max of them. None for a missing directory.
std::vector<std::string> DirectoryEntries(const std::string& path, std::size_t max);

enum class DeleteOutcome { Deleted, Missing, InUse, Failed };

// Deletes a file, clearing its read-only attribute first; tells a missing
// file and one another program holds open from other failures.
DeleteOutcome DeleteFileReporting(const std::string& path);

// Has the file, or an empty directory, deleted when the machine next starts
// (Windows keeps the list; 9x reads it from wininit.ini). False when it
// cannot be scheduled.
bool DeleteAtRestart(const std::string& path);

} // namespace tarvex::platform
