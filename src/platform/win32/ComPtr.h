#pragma once
// Owns one reference to a COM interface and releases it at the end of scope.
#include <unknwn.h>

namespace tarvex::platform {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    // For calls that hand out a new reference; drops any held one first.
    void** Out()
    {
        Reset();
        return reinterpret_cast<void**>(&ptr_);
    }

    void Reset()
    {
        if (ptr_) ptr_->Release();
        ptr_ = nullptr;
    }

private:
    T* ptr_ = nullptr;
};

} // namespace tarvex::platform
