#pragma once
// The copy unit: copies a file, expanding it when it is LZ-compressed.
#include "base/Exception.h"

#include <string>

namespace tarvex {

class ECopyFile : public Exception {
public:
    using Exception::Exception;
};

// Copies source to dest, expanding an LZ-compressed source. False when the
// expansion itself failed (a damaged source). A file that cannot be opened
// or created raises the runtime's I/O error (platform::EInOutError).
//
// The destination is written beside itself under a temporary name and put
// in place only once the copy is whole, so a failed copy never costs the
// user the file that was there.
bool LZCopyFile(const std::string& source, const std::string& dest);

} // namespace tarvex
