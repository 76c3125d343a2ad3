#include "platform/ProgressWindow.h"

namespace tarvex::platform {

ProgressWindow::ProgressWindow(const std::string&, const std::string&) {}
ProgressWindow::~ProgressWindow() = default;
void ProgressWindow::SetPosition(std::uint64_t, std::uint64_t) {}

} // namespace tarvex::platform
