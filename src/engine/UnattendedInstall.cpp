#include "engine/UnattendedInstall.h"

#include "base/Text.h"
#include "paths/DiskSpace.h"
#include "paths/PathTokens.h"
#include "platform/Files.h"
#include "setup_description/Route.h"

namespace tarvex {

namespace {
constexpr char kNotFullPath[] = " is not a full path: ";
constexpr char kCannotOpen[] = "Cannot open file ";
constexpr char kCannotCreatePath[] = "Unable to create path: ";

// A drive's root and below, or a share: what the wizard's folder dialog gives.
bool IsFullPath(const std::string& path)
{
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return true;
    return path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' &&
           path[2] == '\\';
}

// A base folder named by the administrator need not exist yet: it is made
// as mkdir -p would, and left out of Install.log (the product does not own it).
void MakeBaseFolder(const std::string& path)
{
    if (path.size() <= 2) return; // a drive's root
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        if (at > 2 && path[at - 1] != '\\') platform::MakeDirectory(path.substr(0, at));
    platform::MakeDirectory(path);
    if (!platform::DirectoryExists(path)) throw Exception(kCannotCreatePath + path);
}

void SetUpGivenChoices(TInstallation& engine, const TUnattendedChoices& choices)
{
    const TSetupInformation& info = engine.SetupInfo;
    TInstallOption written;
    written.Directory = choices.Directory.value_or(info.Directory);
    written.StartMenu = choices.StartMenu.value_or(info.StartMenu);
    written.NewDirectory = choices.NewDirectory ? Trim(*choices.NewDirectory) : info.NewDirectory;
    written.NewMenu = choices.NewMenu ? Trim(*choices.NewMenu) : info.NewMenu;
    SetUpChoices(engine, written);
    if (choices.Directory && !IsFullPath(engine.Directory))
        throw Exception("Directory" + std::string(kNotFullPath) + engine.Directory);
    if (choices.StartMenu && !IsFullPath(engine.StartMenu))
        throw Exception("StartMenu" + std::string(kNotFullPath) + engine.StartMenu);
}

// The pages the wizard shows before it installs, refusing where it would stop.
void WalkPages(const TInstallation& engine)
{
    const TSetupInformation& info = engine.SetupInfo;
    for (std::int16_t page : PagesToInstall(info.Route)) {
        const std::string* text = page == pcLicense ? &info.License : page == pcReadMe ? &info.ReadMe : nullptr;
        if (text && !platform::FileReadable(engine.MediumDirectory + *text))
            throw Exception(kCannotOpen + engine.MediumDirectory + *text);
        if (page == pcDirectory)
            if (std::optional<std::string> shortfall = DiskSpaceShortfall(engine.Directory, info.TotalSize))
                throw EUnattended(TUnattendedResult::urNoSpace, OneLine(*shortfall));
    }
}
} // namespace

std::optional<TOverwriteMode> OverwriteAnswer(std::string_view name)
{
    if (name == "yes") return TOverwriteMode::omYes;
    if (name == "no") return TOverwriteMode::omNo;
    if (name == "yes-to-all") return TOverwriteMode::omYesToAll;
    if (name == "no-to-all") return TOverwriteMode::omNoToAll;
    return std::nullopt;
}

std::string OneLine(const std::string& text)
{
    std::string out;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t cut = std::min(text.find('\r', start), text.size());
        if (!out.empty()) out += "; ";
        out += Trim(std::string_view(text).substr(start, cut - start));
        start = cut + 1;
    }
    return out;
}

void InstallUnattended(TInstallation& engine, const TUnattendedChoices& choices)
{
    // What a failure means depends on how far it came: before the
    // installation the medium or the choices are unusable.
    TUnattendedResult failing = TUnattendedResult::urBadSetup;
    try {
        SetUpGivenChoices(engine, choices);
        WalkPages(engine);
        failing = TUnattendedResult::urFailed;
        if (choices.Directory) MakeBaseFolder(StripTrailingBackslash(engine.Directory));
        if (choices.StartMenu) MakeBaseFolder(StripTrailingBackslash(engine.StartMenu));
        engine.Install();
    } catch (const EUnattended&) {
        throw;
    } catch (const std::exception& e) {
        throw EUnattended(failing, e.what());
    }
}

} // namespace tarvex
