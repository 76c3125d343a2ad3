#pragma once
// TBrowseFolder: runs the shell's folder-selection dialog and hands back the
// chosen directory. Around the bare dialog it adds a root from a fixed list
// of special folders, pre-selection of Directory, placement over the
// foreground window, the selected path (shortened) in the status line, OK
// only for file-system items, and an optional extra button of its own.
#include "platform/FolderDialog.h"
#include "platform/Ui.h"

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>

namespace tarvex {

using platform::ItemIdList;
using platform::WindowId;

enum class TBrowseInfoFlags {
    bfFileSysDirsOnly,
    bfDontGoBelowDomain,
    bfStatusText,
    bfFileSysAncestors,
    bfBrowseForComputer,
    bfBrowseForPrinter,
};

class TBrowseInfoFlagSet {
public:
    TBrowseInfoFlagSet() = default;
    TBrowseInfoFlagSet(std::initializer_list<TBrowseInfoFlags> flags)
    {
        for (TBrowseInfoFlags f : flags) Include(f);
    }
    void Include(TBrowseInfoFlags f) { bits_ |= Bit(f); }
    void Exclude(TBrowseInfoFlags f) { bits_ &= ~Bit(f); }
    bool Contains(TBrowseInfoFlags f) const { return (bits_ & Bit(f)) != 0; }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const TBrowseInfoFlagSet&) const = default;

private:
    static unsigned Bit(TBrowseInfoFlags f) { return 1u << static_cast<unsigned>(f); }
    unsigned bits_ = 0;
};

enum class TSHFolders {
    foDesktop,
    foDesktopExpanded,
    foPrograms,
    foControlPanel,
    foPrinters,
    foPersonal,
    foFavorites,
    foStartup,
    foRecent,
    foSendto,
    foRecycleBin,
    foStartMenu,
    foDesktopDirectory,
    foMyComputer,
    foNetwork,
    foNetworkNeighborhood,
    foFonts,
    foTemplates,
};

// The CSIDL value of a root, or platform::kNoRootFolder for foDesktopExpanded.
int RootFolderId(TSHFolders folder);

// The BIF_ bits of a flag set.
unsigned BrowseInfoFlagBits(const TBrowseInfoFlagSet& flags);

// Abbreviates a path longer than limit by replacing its second part with the
// ellipsis and then dropping parts after it until the text fits or only
// three parts remain. Paths of fewer than three parts stay as they are.
std::string ShortenPath(const std::string& path, const std::string& separator, const std::string& ellipsis,
                        std::size_t limit);

// The status line's form of a path: "\" separators, "...", 35 characters.
std::string StatusPath(const std::string& path);

inline constexpr int kDefaultCustomButtonWidth = 75;
extern const char kCurrentDirectoryIs[]; // "Current directory is "

class TBrowseFolder;
using TBrowserInitializedEvent = std::function<void(TBrowseFolder& sender, WindowId dialogHandle)>;
using TSelectionChangedEvent = std::function<void(TBrowseFolder& sender, WindowId dialogHandle,
                                                  ItemIdList itemIdList, const std::string& directory)>;
using TCustomButtonClickEvent = std::function<void(TBrowseFolder& sender, WindowId dialogHandle)>;

class TBrowseFolder : private platform::FolderDialogClient {
public:
    // The owner's window (a form's) owns the dialog unless OwnerWindow names
    // a live window: it is disabled while the dialog runs.
    explicit TBrowseFolder(const platform::Control* owner = nullptr) : owner_(owner) {}
    TBrowseFolder(const TBrowseFolder&) = delete;
    TBrowseFolder& operator=(const TBrowseFolder&) = delete;

    // Before Execute the directory to pre-select; after an Execute that
    // returned true, the chosen folder's path.
    std::string Directory;
    std::string Title;
    TBrowseInfoFlagSet Flags;
    // Shown only when Flags holds bfStatusText.
    bool ShowPathInStatusArea = false;
    TSHFolders RootFolder = TSHFolders::foDesktopExpanded;
    bool CustomButtonVisible = false;
    // The extra button follows the OK button's enabled state.
    bool SyncCustomButton = false;

    bool CustomButtonEnabled() const { return customButtonEnabled_; }
    void SetCustomButtonEnabled(bool enabled);
    const std::string& CustomButtonCaption() const { return customButtonCaption_; }
    void SetCustomButtonCaption(const std::string& caption);
    int CustomButtonWidth() const { return customButtonWidth_; }
    // 0 or less means the default width; used when the button is next made.
    void SetCustomButtonWidth(int width);

    TBrowserInitializedEvent OnInitialized;
    TSelectionChangedEvent OnSelectionChanged;
    TCustomButtonClickEvent OnCustomButtonClick;

    // Optional explicit owner of the dialog; otherwise the owner component's
    // window, or without one the active window.
    WindowId OwnerWindow = 0;
    // Being edited in a designer: the extra button then just reports the
    // current directory.
    bool Designing = false;

    // Runs the dialog modally; true when it was closed with OK.
    bool Execute();

    // The running (or last) dialog and extra button; kept after it closes.
    WindowId DialogHandle() const { return dialogHandle_; }
    WindowId CustomButtonHandle() const { return customButtonHandle_; }
    const std::string& DisplayName() const { return displayName_; }
    int ImageIndex() const { return imageIndex_; }
    // The path of the item selected now or last; empty for items without one.
    const std::string& CurrentDirectory() const { return currentDirectory_; }

private:
    void Initialized(platform::FolderDialog& dialog) override;
    void SelectionChanged(platform::FolderDialog& dialog, ItemIdList item, const std::string& path,
                          bool hasPath) override;
    void CustomButtonClicked(platform::FolderDialog& dialog) override;

    const platform::Control* owner_;
    bool customButtonEnabled_ = true;
    std::string customButtonCaption_;
    int customButtonWidth_ = kDefaultCustomButtonWidth;

    WindowId dialogHandle_ = 0;
    WindowId customButtonHandle_ = 0;
    std::string displayName_;
    int imageIndex_ = 0;
    std::string currentDirectory_;
};

} // namespace tarvex
