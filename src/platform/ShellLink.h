#pragma once
// Shell link (.LNK) files: the shortcuts the installation leaves behind.
#include <cstddef>
#include <string>

namespace tarvex::platform {

// The longest link file path the platform takes: it is handed over in a
// buffer of 260 wide characters including the terminating zero.
constexpr std::size_t kMaxLinkPath = 259;
inline constexpr char kLinkPathTooLong[] = "Link path too long: ";

// Writes a link file at linkFile pointing to target, with the arguments
// stored as given and description as its comment. The working directory is
// set only when it is not empty. Failing to save (a missing folder, say)
// writes nothing and is not reported. Throws Exception when the link object
// can't be made, and "Link path too long: PATH" for a path over kMaxLinkPath
// characters rather than saving under a cut name.
void CreateShellLink(const std::string& linkFile, const std::string& description, const std::string& target,
                     const std::string& arguments, const std::string& workingDirectory);

} // namespace tarvex::platform
