#pragma once
// Files read at any offset and files written in order, for the medium a
// one-file setup.exe carries: its own file read, the medium's files made new.
#include "platform/Files.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvex::platform {

// A file opened for reading, others may read it too. Throws EInOutError
// with the path when it cannot be opened or read.
class ReadableFile {
public:
    explicit ReadableFile(const std::string& path);
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;
    std::uint64_t Size() const { return size_; }
    // The last-write time as a FILETIME (100 ns since 1601, UTC); 0 when unknown.
    std::uint64_t LastWrite() const;
    // Exactly size bytes from offset.
    void ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size);

private:
    std::string path_;
    std::intptr_t handle_;
    std::uint64_t size_ = 0;
};

// A file that did not exist before (never one replaced), closed when its
// owner goes. Throws Exception "Cannot create file <path>" when it cannot
// be made, EInOutError with the path when it cannot be written.
class NewFile {
public:
    explicit NewFile(const std::string& path);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    void Write(const unsigned char* data, std::size_t size);
    // The last-write time as a FILETIME (100 ns since 1601, UTC); false
    // when it could not be set.
    bool SetLastWrite(std::uint64_t fileTime);

private:
    std::string path_;
    std::intptr_t handle_;
};

// The user's folder for temporary files, ending with a backslash.
std::string TempPath();

// Removes an empty folder; false when it could not.
bool RemoveFolder(const std::string& path);

// A number that differs between runs, to start a search for a free name.
std::uint32_t RunSeed();

} // namespace tarvex::platform
