#pragma once
// A small window with a line of text and a progress bar, for work done
// before the wizard shows. It keeps the screen answering while the work
// advances. The portable build shows nothing.
#include <cstdint>
#include <string>

namespace tarvex::platform {

class ProgressWindow {
public:
    ProgressWindow(const std::string& caption, const std::string& text);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    // Moves the bar to done of total and handles the waiting messages.
    void SetPosition(std::uint64_t done, std::uint64_t total);

private:
    void* window_ = nullptr;
    void* bar_ = nullptr;
    std::uint32_t tick_ = 0; // of the last step shown
    bool shown_ = false;
};

} // namespace tarvex::platform
