#include "platform/ComApartment.h"

#include "base/Exception.h"

#include <objbase.h>

namespace tarvex::platform {

namespace {
constexpr char kComFailed[] = "Shortcut error";
} // namespace

ComApartment::ComApartment(Start start)
{
    const HRESULT result = CoInitialize(nullptr);
    started_ = SUCCEEDED(result);
    if (start == Start::Fresh && result != S_OK) {
        if (started_) CoUninitialize();
        started_ = false;
        throw Exception(kComFailed);
    }
}

ComApartment::~ComApartment()
{
    if (started_) CoUninitialize();
}

} // namespace tarvex::platform
