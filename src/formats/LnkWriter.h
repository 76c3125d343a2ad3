#pragma once
// The bytes of a shell link (.LNK) file in the documented binary format,
// laid out as the Windows shell link object saves them: a target ID list and
// link info for the target path, then the description, the working directory
// (only when given) and the arguments as Unicode strings.
#include <string>

namespace tarvex {

struct LnkContents {
    std::string target;           // Windows path, Windows-1252 text
    std::string description;
    std::string arguments;
    std::string workingDirectory; // empty: none stored
};

std::string LnkBytes(const LnkContents& contents);

} // namespace tarvex
