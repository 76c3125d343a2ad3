#pragma once
// LZ expansion: writes a file compressed in the SZDD format out expanded,
// and any other file out unchanged.
#include "base/Exception.h"

#include <cstdint>
#include <string>

namespace tarvex::platform {

// Why an expansion failed. systemCode is the Windows system error code for
// a file that could not be opened or created (2 file not found, 3 path not
// found, 5 access denied, 32 sharing violation, ...), 0 otherwise, so that
// the copy unit can report it the way the runtime reports I/O errors.
class LzError : public Exception {
public:
    enum class Stage { OpenSource, CreateDest, Expand };
    LzError(Stage stage, unsigned systemCode, std::string message)
        : Exception(std::move(message)), stage_(stage), systemCode_(systemCode)
    {
    }
    Stage GetStage() const noexcept { return stage_; }
    unsigned SystemCode() const noexcept { return systemCode_; }

private:
    Stage stage_;
    unsigned systemCode_;
};

// Creates dest (replacing any file of that name) as the expansion of source
// when source is SZDD-compressed, else as a copy of it. The header's length
// is the authority for the output size: data that ends before it is an error,
// data beyond it is ignored. Throws LzError; dest may then be left partial.
void LzExpandFile(const std::string& source, const std::string& dest);

// The number of bytes LzExpandFile would write for source, found without
// writing them anywhere it need not. Throws LzError as LzExpandFile does.
std::uint64_t LzExpandedSize(const std::string& source);

} // namespace tarvex::platform
