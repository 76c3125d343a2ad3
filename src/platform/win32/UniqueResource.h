#pragma once
// One owner type for every kind of system handle, after WIL's unique_any:
// UniqueResource<T, Close, None> owns one T, hands it to Close when it goes
// or is replaced, and owns nothing while it holds None. Movable, not
// copyable. The kinds used in more than one place are named below; a kind
// used in one file is named there.
#include <windows.h>

#include <cstdint>
#include <type_traits>
#include <utility>

namespace tarvex::platform {

template <typename T, auto Close, std::intptr_t None = 0>
class UniqueResource {
public:
    UniqueResource() noexcept = default;
    explicit UniqueResource(T value) noexcept : value_(value) {}
    // Inlined: one destructor per kind, with its unwind entry, would cost
    // setup.exe more than the test and call it holds.
    [[gnu::always_inline]] ~UniqueResource()
    {
        if (value_ != Empty()) Close(value_);
    }
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    T Get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Empty(); }
    T operator->() const noexcept
        requires std::is_pointer_v<T> && std::is_class_v<std::remove_pointer_t<T>>
    {
        return value_;
    }

    // Closes what is held and holds value instead.
    void Reset(T value = Empty()) noexcept
    {
        const T old = std::exchange(value_, value);
        if (old != Empty()) Close(old);
    }
    // Gives the value up without closing it.
    T Release() noexcept { return std::exchange(value_, Empty()); }
    // For a call that hands out a new value through a pointer.
    T* Put() noexcept
    {
        Reset();
        return &value_;
    }

private:
    static T Empty() noexcept
    {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<T>(None);
        else
            return static_cast<T>(None);
    }

    T value_ = Empty();
};

// A device context from GetDC (or BeginPaint's window): released to the
// window it belongs to.
[[gnu::always_inline]] inline void ReleaseWindowDc(HDC dc) { ReleaseDC(WindowFromDC(dc), dc); }

template <typename Interface>
[[gnu::always_inline]] inline void ReleaseInterface(Interface* object)
{
    object->Release();
}

// Kernel objects that are null when missing (threads, processes); files
// from CreateFileA are INVALID_HANDLE_VALUE when missing.
using UniqueHandle = UniqueResource<HANDLE, &CloseHandle>;
using UniqueFile = UniqueResource<HANDLE, &CloseHandle, -1>;
using GdiObject = UniqueResource<HGDIOBJ, &DeleteObject>;
using MemoryDc = UniqueResource<HDC, &DeleteDC>;
using WindowDc = UniqueResource<HDC, &ReleaseWindowDc>;
template <typename Interface>
using ComPtr = UniqueResource<Interface*, &ReleaseInterface<Interface>>;

// The out-parameter of CoCreateInstance and QueryInterface.
template <typename Interface>
void** PutInterface(ComPtr<Interface>& pointer)
{
    return reinterpret_cast<void**>(pointer.Put());
}

} // namespace tarvex::platform
