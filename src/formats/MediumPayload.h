#pragma once
// A medium carried inside setup.exe: the files follow the program's image,
// a trailer after them says where they lie and what their CRC-32 is, and an
// Authenticode certificate table may follow the trailer. Pure code over a
// file reached through RandomAccess, so that the tool, setup.exe and the
// fuzz target read it alike. Layout: docs/packaging.md.
#include "base/Exception.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvex {

constexpr std::uint32_t kPayloadVersion = 1;
constexpr std::size_t kTrailerSize = 40;
constexpr unsigned char kTrailerMagic[8] = {'T', 'a', 'r', 'v', 'e', 'x', 'M', 0x1A};
// The largest piece read at once while verifying or extracting.
constexpr std::size_t kPayloadBuffer = 256 * 1024;
constexpr std::size_t kMaxEntryPath = 259;

// A payload that cannot be used; the message says why.
class EPayloadError : public Exception {
public:
    explicit EPayloadError(std::string message) : Exception(std::move(message)) {}
};

// A file read at any offset. ReadAt reads exactly size bytes or throws.
class RandomAccess {
public:
    virtual ~RandomAccess() = default;
    virtual std::uint64_t Size() = 0;
    virtual void ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size) = 0;
};

class Crc32 {
public:
    void Update(const unsigned char* data, std::size_t size);
    std::uint32_t Value() const { return ~state_; }

private:
    std::uint32_t state_ = 0xFFFFFFFFu;
};

struct PayloadEntry {
    std::string path;           // relative, backslashes
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0; // FILETIME: 100 ns since 1601, UTC; 0 = none
};

struct PayloadTrailer {
    std::uint32_t version = kPayloadVersion;
    std::uint32_t entries = 0;
    std::uint64_t offset = 0; // of the payload, from the start of the file
    std::uint64_t size = 0;
    std::uint32_t crc = 0;    // of the payload's bytes
};

// Where a program's parts lie.
struct ProgramLayout {
    std::uint64_t imageEnd = 0;   // end of the headers and section data
    std::uint64_t certOffset = 0; // the certificate table, when certSize != 0
    std::uint64_t certSize = 0;
    std::uint64_t securityEntry = 0; // file offset of data directory entry 4; 0 = none
};

struct PayloadPlace {
    bool present = false; // false: a plain program, no medium inside
    ProgramLayout layout;
    PayloadTrailer trailer;
};

// The entry header as written before the entry's bytes.
std::string EncodeEntryHeader(const PayloadEntry& entry);
std::string EncodeTrailer(const PayloadTrailer& trailer);

// Why path cannot name a file inside the medium folder; empty when it can.
// Refused: the empty path, a drive or stream (':'), a root, empty, "." and
// ".." parts, device names, names Windows alters (trailing dot or blank),
// slashes, control and wildcard characters, paths over 259 characters.
std::string EntryPathProblem(std::string_view path);

// The parts of a PE image; throws EPayloadError "not a program" when the
// file is none.
ProgramLayout ReadProgramLayout(RandomAccess& file);

// The payload of a program: present or not. Throws EPayloadError when
// something follows the image that is no whole payload (a cut download, a
// damaged trailer, a certificate table or payload outside the file).
PayloadPlace LocatePayload(RandomAccess& file);

// Receives the entries while the payload is read.
class PayloadSink {
public:
    virtual ~PayloadSink() = default;
    virtual void Begin(const PayloadEntry& entry) = 0;
    virtual void Write(const unsigned char* data, std::size_t size) = 0;
    virtual void End() = 0;
};

// Told the bytes read so far.
class PayloadProgress {
public:
    virtual ~PayloadProgress() = default;
    virtual void Advance(std::uint64_t done, std::uint64_t total) = 0;
};

// Reads the payload through one buffer of kPayloadBuffer bytes, checking
// every header, path and size and, at its end, the entry count and the
// CRC-32; sink (when given) receives the entries as they pass. Returns the
// number of entries. Throws EPayloadError at the first problem, so a caller
// verifies with no sink before it extracts with one. Paths that differ only
// in case are left to the writer, whose new files refuse the second one.
// checksum false skips the CRC, for a second pass over a file that cannot
// have changed since the first.
std::uint32_t ReadPayload(RandomAccess& file, const PayloadPlace& place, PayloadSink* sink = nullptr,
                          PayloadProgress* progress = nullptr, bool checksum = true);

} // namespace tarvex
