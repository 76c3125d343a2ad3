#include "platform/ShellLink.h"

#include "base/Exception.h"
#include "formats/LnkWriter.h"
#include "platform/posix/PosixFile.h"

namespace tarvex::platform {

void CreateShellLink(const std::string& linkFile, const std::string& description, const std::string& target,
                     const std::string& arguments, const std::string& workingDirectory)
{
    if (linkFile.size() > kMaxLinkPath) throw Exception(kLinkPathTooLong + linkFile);
    // As with the shell's own save, a file that can't be written (its folder
    // is missing, say) is simply not there afterwards.
    WriteFileReplacing(MachineHostPath(linkFile), LnkBytes({target, description, arguments, workingDirectory}));
}

} // namespace tarvex::platform
