// Headless folder dialog: the user's part comes from a script, and every
// request the component makes of the dialog is recorded.
#include "platform/FolderDialog.h"
#include "platform/Shell.h"
#include "testing/HeadlessFolderDialog.h"

#include <map>

namespace tarvex::platform {

namespace {

// Handles are never reused, so a kept handle stops being live for good.
WindowId g_nextHandle = 0x10000;
// Live windows and the record each belongs to.
std::map<WindowId, std::size_t> g_live;

HeadlessFolderDialogRecord& RecordOf(std::size_t index)
{
    return HeadlessFolderDialogs::Instance().shown[index];
}

std::string LastPart(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 3 && trimmed.back() == '\\') trimmed.pop_back();
    std::size_t at = trimmed.find_last_of('\\');
    return at == std::string::npos || trimmed.size() <= 3 ? trimmed : trimmed.substr(at + 1);
}

class HeadlessDialog final : public FolderDialog {
public:
    explicit HeadlessDialog(std::size_t record) : record_(record), handle_(g_nextHandle++)
    {
        RecordOf(record_).handle = handle_;
        g_live[handle_] = record_;
    }
    ~HeadlessDialog()
    {
        g_live.erase(handle_);
        g_live.erase(button_);
    }
    HeadlessDialog(const HeadlessDialog&) = delete;
    HeadlessDialog& operator=(const HeadlessDialog&) = delete;

    WindowId Handle() const override { return handle_; }
    void PlaceOverForeground() override { RecordOf(record_).placed = true; }
    void Select(const std::string& directory) override
    {
        RecordOf(record_).selectRequests.push_back(directory);
        selection_ = directory;
    }
    void SetStatusText(const std::string& text) override { RecordOf(record_).statusTexts.push_back(text); }
    void EnableOk(bool enable) override
    {
        RecordOf(record_).okEnabled.push_back(enable);
        okEnabled_ = enable;
    }
    WindowId AddCustomButton(const std::string& caption, int width, bool enabled) override
    {
        auto& record = RecordOf(record_);
        button_ = g_nextHandle++;
        g_live[button_] = record_;
        record.customButton = true;
        record.customButtonHandle = button_;
        record.customButtonCaption = caption;
        record.customButtonWidth = width;
        record.customButtonEnabled.push_back(enabled);
        return button_;
    }
    void ShowInformation(const std::string& text) override { RecordOf(record_).informations.push_back(text); }

    void Run(const HeadlessFolderAnswer& answer, FolderDialogClient& client, const std::string& initial)
    {
        if (selection_.empty()) selection_ = initial;
        Change(client, selection_);
        for (const std::string& path : answer.selections) Change(client, path);
        if (answer.clickCustomButton && ButtonEnabled()) client.CustomButtonClicked(*this);
    }

    bool OkEnabled() const { return okEnabled_; }
    const std::string& Selection() const { return selection_; }

private:
    void Change(FolderDialogClient& client, const std::string& path)
    {
        selection_ = path;
        client.SelectionChanged(*this, &selection_, path, !path.empty());
    }
    bool ButtonEnabled() const
    {
        const auto& states = RecordOf(record_).customButtonEnabled;
        return g_live.count(button_) && !states.empty() && states.back();
    }

    std::size_t record_;
    WindowId handle_;
    WindowId button_ = 0;
    std::string selection_;
    bool okEnabled_ = true;
};

} // namespace

HeadlessFolderAnswer HeadlessFolderAnswer::Choose(const std::string& path)
{
    HeadlessFolderAnswer answer;
    answer.selections.push_back(path);
    answer.ok = true;
    return answer;
}

void HeadlessFolderDialogs::Reset() { *this = HeadlessFolderDialogs(); }

HeadlessFolderDialogs& HeadlessFolderDialogs::Instance()
{
    static HeadlessFolderDialogs dialogs;
    return dialogs;
}

FolderDialogResult RunFolderDialog(const FolderDialogRequest& request, FolderDialogClient& client)
{
    auto& dialogs = HeadlessFolderDialogs::Instance();
    HeadlessFolderAnswer answer;
    if (!dialogs.answers.empty()) {
        answer = dialogs.answers.front();
        dialogs.answers.pop_front();
    }

    HeadlessFolderDialogRecord record;
    record.owner = request.owner;
    record.rootFolderId = request.rootFolderId;
    record.title = request.title;
    record.flags = request.flags;
    dialogs.shown.push_back(record);

    HeadlessDialog dialog(dialogs.shown.size() - 1);
    client.Initialized(dialog);
    // Like the shell's, the tree opens on its root unless told otherwise;
    // the whole namespace opens on the desktop.
    const int initialFolder = request.rootFolderId == kNoRootFolder ? 0 : request.rootFolderId;
    dialog.Run(answer, client, SpecialFolderPath(initialFolder));

    FolderDialogResult result;
    if (!answer.ok || !dialog.OkEnabled()) return result;
    result.chosen = true;
    result.path = dialog.Selection();
    result.hasPath = !result.path.empty();
    result.displayName = answer.displayName.empty() ? LastPart(result.path) : answer.displayName;
    result.imageIndex = answer.imageIndex;
    return result;
}

bool IsLiveWindow(WindowId window) { return window != 0 && g_live.count(window) != 0; }

void EnableWindowById(WindowId window, bool enable)
{
    auto found = g_live.find(window);
    if (found == g_live.end()) return;
    auto& record = RecordOf(found->second);
    if (window == record.customButtonHandle) record.customButtonEnabled.push_back(enable);
}

void SetWindowTextById(WindowId window, const std::string& text)
{
    auto found = g_live.find(window);
    if (found == g_live.end()) return;
    auto& record = RecordOf(found->second);
    if (window == record.customButtonHandle) record.customButtonCaption = text;
}

} // namespace tarvex::platform
