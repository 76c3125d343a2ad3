#include "platform/Clipboard.h"

#include "platform/win32/UniqueResource.h"

#include <windows.h>

#include <cstring>

namespace tarvex::platform {

namespace {

// The clipboard, open for this thread until the end of the scope.
class OpenedClipboard {
public:
    OpenedClipboard() : open_(OpenClipboard(nullptr) != FALSE) {}
    ~OpenedClipboard()
    {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool Open() const { return open_; }

private:
    bool open_;
};

// Movable global memory, freed unless handed to the clipboard.
using GlobalMemory = UniqueResource<HGLOBAL, &GlobalFree>;

// A global memory block locked until the end of the scope.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    ~GlobalLockScope()
    {
        if (data_) GlobalUnlock(memory_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* Data() const { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

} // namespace

bool SetClipboardText(const std::string& text)
{
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    {
        GlobalLockScope lock(memory.Get());
        if (!lock.Data()) return false;
        std::memcpy(lock.Data(), text.c_str(), text.size() + 1);
    }
    OpenedClipboard clipboard;
    if (!clipboard.Open() || !EmptyClipboard()) return false;
    // The system owns the memory once it is on the clipboard.
    if (!SetClipboardData(CF_TEXT, memory.Get())) return false;
    memory.Release();
    return true;
}

std::string ClipboardText()
{
    OpenedClipboard clipboard;
    if (!clipboard.Open()) return {};
    GlobalLockScope lock(GetClipboardData(CF_TEXT));
    return lock.Data() ? std::string(static_cast<const char*>(lock.Data())) : std::string();
}

} // namespace tarvex::platform
