#pragma once
// The copy unit: copies a file, expanding it when it is LZ-compressed.
#include "base/Exception.h"

#include <cstddef>
#include <string>

namespace tarvex {

class ECopyFile : public Exception {
public:
    explicit ECopyFile(std::string message) : Exception(std::move(message)) {}
};

// Copies source to dest, expanding an LZ-compressed source. False when the
// expansion itself failed (a damaged source). A file that cannot be opened
// or created raises the runtime's I/O error (platform::EInOutError), its
// text followed by the file that failed and the other end of the copy.
//
// The destination is written beside itself under a temporary name and put
// in place only once the copy is whole, so a failed copy never costs the
// user the file that was there.
// A temporary path longer than kMaxCopyPath fails as Windows fails it,
// with I/O error 206, in both builds.
bool LZCopyFile(const std::string& source, const std::string& dest);

// The tool's expansion of one file, written the same safe way: dest is
// replaced only by a whole expansion, and a failure leaves it as it was and
// no temporary file behind. Refuses source and dest being one file. Throws
// an Exception whose message names the file concerned.
void ExpandReplacing(const std::string& source, const std::string& dest);

// The longest path Windows' ANSI file calls take (MAX_PATH less the
// terminating zero).
constexpr std::size_t kMaxCopyPath = 259;
// The temporary name dest is written under: its path and a suffix.
std::string CopyTempPath(const std::string& dest);

} // namespace tarvex
