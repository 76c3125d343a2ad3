#include "components/BrowseFolder.h"

#include "platform/Files.h"

#include <iterator>
#include <vector>

namespace tarvex {

const char kCurrentDirectoryIs[] = "Current directory is ";

namespace {

const char kStatusSeparator[] = "\\";
const char kStatusEllipsis[] = "...";
constexpr std::size_t kStatusLimit = 35;

// CSIDL values in TSHFolders order.
constexpr int kRootFolderIds[] = {
    0x00,                     // foDesktop
    platform::kNoRootFolder,  // foDesktopExpanded
    0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B,
    0x10,                     // foDesktopDirectory
    0x11, 0x12, 0x13, 0x14, 0x15,
};
static_assert(std::size(kRootFolderIds) == static_cast<std::size_t>(TSHFolders::foTemplates) + 1);

// BIF_ values in TBrowseInfoFlags order.
constexpr unsigned kFlagBits[] = {
    platform::kBifReturnOnlyFsDirs, platform::kBifDontGoBelowDomain, platform::kBifStatusText,
    platform::kBifReturnFsAncestors, platform::kBifBrowseForComputer, platform::kBifBrowseForPrinter,
};
static_assert(std::size(kFlagBits) == static_cast<std::size_t>(TBrowseInfoFlags::bfBrowseForPrinter) + 1);

std::string Join(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) joined += separator;
        joined += parts[i];
    }
    return joined;
}

} // namespace

int RootFolderId(TSHFolders folder)
{
    return kRootFolderIds[static_cast<std::size_t>(folder)];
}

unsigned BrowseInfoFlagBits(const TBrowseInfoFlagSet& flags)
{
    unsigned bits = 0;
    for (std::size_t i = 0; i < std::size(kFlagBits); ++i)
        if (flags.Contains(static_cast<TBrowseInfoFlags>(i))) bits |= kFlagBits[i];
    return bits;
}

std::string ShortenPath(const std::string& path, const std::string& separator, const std::string& ellipsis,
                        std::size_t limit)
{
    if (path.size() <= limit || separator.empty()) return path;

    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = path.find(separator, start)) != std::string::npos; start = at + separator.size())
        parts.push_back(path.substr(start, at - start));
    parts.push_back(path.substr(start));
    if (parts.size() < 3) return path;

    parts[1] = ellipsis;
    std::string joined = Join(parts, separator);
    while (joined.size() > limit && parts.size() > 3) {
        parts.erase(parts.begin() + 2);
        joined = Join(parts, separator);
    }
    return joined;
}

std::string StatusPath(const std::string& path)
{
    return ShortenPath(path, kStatusSeparator, kStatusEllipsis, kStatusLimit);
}

void TBrowseFolder::SetCustomButtonEnabled(bool enabled)
{
    customButtonEnabled_ = enabled;
    if (platform::IsLiveWindow(customButtonHandle_)) platform::EnableWindowById(customButtonHandle_, enabled);
}

void TBrowseFolder::SetCustomButtonCaption(const std::string& caption)
{
    customButtonCaption_ = caption;
    if (platform::IsLiveWindow(customButtonHandle_)) platform::SetWindowTextById(customButtonHandle_, caption);
}

void TBrowseFolder::SetCustomButtonWidth(int width)
{
    customButtonWidth_ = width > 0 ? width : kDefaultCustomButtonWidth;
}

bool TBrowseFolder::Execute()
{
    platform::FolderDialogRequest request;
    request.owner = platform::IsLiveWindow(OwnerWindow) ? OwnerWindow
                    : owner_                              ? platform::WindowIdOf(*owner_)
                                                          : 0;
    request.rootFolderId = RootFolderId(RootFolder);
    request.title = Title;
    request.flags = BrowseInfoFlagBits(Flags);

    platform::FolderDialogResult result = platform::RunFolderDialog(request, *this);
    if (!result.chosen) return false;

    // An item without a path cannot be confirmed (OK is disabled for it);
    // should the dialog return one anyway, the old directory stands.
    if (result.hasPath) Directory = result.path;
    currentDirectory_ = Directory;
    displayName_ = result.displayName;
    imageIndex_ = result.imageIndex;
    return true;
}

void TBrowseFolder::Initialized(platform::FolderDialog& dialog)
{
    dialogHandle_ = dialog.Handle();
    dialog.PlaceOverForeground();
    // A directory that does not exist leaves the dialog's own selection.
    if (platform::DirectoryExists(Directory)) dialog.Select(Directory);
    if (CustomButtonVisible)
        customButtonHandle_ = dialog.AddCustomButton(customButtonCaption_, customButtonWidth_, customButtonEnabled_);
    if (OnInitialized) OnInitialized(*this, dialogHandle_);
}

void TBrowseFolder::SelectionChanged(platform::FolderDialog& dialog, ItemIdList item, const std::string& path,
                                     bool hasPath)
{
    currentDirectory_ = path;
    if (ShowPathInStatusArea) dialog.SetStatusText(StatusPath(path));
    dialog.EnableOk(hasPath);
    if (SyncCustomButton) SetCustomButtonEnabled(hasPath);
    if (OnSelectionChanged) OnSelectionChanged(*this, dialog.Handle(), item, currentDirectory_);
}

void TBrowseFolder::CustomButtonClicked(platform::FolderDialog& dialog)
{
    if (Designing)
        dialog.ShowInformation(kCurrentDirectoryIs + currentDirectory_);
    else if (OnCustomButtonClick)
        OnCustomButtonClick(*this, dialog.Handle());
}

} // namespace tarvex
