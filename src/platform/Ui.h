#pragma once
// The user-interface toolkit the wizard is written against: real windows on
// win32, state only (for tests of the wizard logic) in the portable build.
#include <memory>
#include <string>

namespace tarvex::platform {

// Once per process, before any window: common controls and the like.
void InitUi();

enum class MessageKind { Error, Question };

// A modal message box centred on the screen. Error boxes have one OK button,
// questions Yes and No; true when OK or Yes was chosen.
bool ShowMessageBox(const std::string& text, const std::string& title, MessageKind kind);

// COM for the calling thread, released at the end of the scope.
class ComApartment {
public:
    ComApartment(); // throws Exception("Shortcut error") unless COM starts cleanly
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// A top-level dialog-style window: fixed single border, close box only,
// centred on the screen, shown modally.
class Form {
public:
    Form(int clientWidth, int clientHeight);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    // Shows the window and runs its messages until it is closed; returns at
    // once, without showing it, when a quit has been requested.
    void ShowModal();
    void Close();
    void RequestQuit();
    bool Visible() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace tarvex::platform
