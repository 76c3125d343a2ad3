#include "platform/ShellLink.h"

#include "base/Exception.h"
#include "platform/win32/UniqueResource.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace tarvex::platform {

namespace {
constexpr char kCreateFailed[] = "Error creating IShellLnk";
constexpr char kNoPersistFile[] = "Error in queryInterface";
} // namespace

void CreateShellLink(const std::string& linkFile, const std::string& description, const std::string& target,
                     const std::string& arguments, const std::string& workingDirectory)
{
    if (linkFile.size() > kMaxLinkPath) throw Exception(kLinkPathTooLong + linkFile);

    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                PutInterface(link))) ||
        !link)
        throw Exception(kCreateFailed);

    // Setter results are not checked: the link is saved with whatever the
    // object accepted.
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    if (!workingDirectory.empty()) link->SetWorkingDirectory(workingDirectory.c_str());
    link->SetDescription(description.c_str());

    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, PutInterface(file))) || !file) throw Exception(kNoPersistFile);

    WCHAR name[kMaxLinkPath + 1] = {};
    MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, name, kMaxLinkPath + 1);
    // A failed save (missing folder) leaves no file and is deliberately not
    // an error: the shortcut phase goes on and still lists the link.
    file->Save(name, TRUE);
}

} // namespace tarvex::platform
