// libFuzzer target: the payload reader on arbitrary files. It must find no
// medium, refuse with EPayloadError, or hand its sink exactly the bytes of
// entries whose paths stay inside the folder.
#include "formats/MediumPayload.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

class FuzzFile : public tarvex::RandomAccess {
public:
    FuzzFile(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t Size() override { return size_; }
    void ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size) override
    {
        if (size > tarvex::kPayloadBuffer || offset > size_ || size > size_ - offset) std::abort();
        std::memcpy(buffer, data_ + offset, size);
    }

private:
    const unsigned char* data_;
    std::size_t size_;
};

class CheckingSink : public tarvex::PayloadSink {
public:
    void Begin(const tarvex::PayloadEntry& entry) override
    {
        if (open_ || !tarvex::EntryPathProblem(entry.path).empty()) std::abort();
        open_ = true;
        left_ = entry.size;
    }
    void Write(const unsigned char*, std::size_t size) override
    {
        if (!open_ || size > left_) std::abort();
        left_ -= size;
    }
    void End() override
    {
        if (!open_ || left_ != 0) std::abort();
        open_ = false;
    }

private:
    bool open_ = false;
    std::uint64_t left_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    using namespace tarvex;
    FuzzFile file(data, size);
    try {
        PayloadPlace place = LocatePayload(file);
        if (!place.present) return 0;
        CheckingSink sink;
        if (ReadPayload(file, place, &sink) != place.trailer.entries) std::abort();
    } catch (const EPayloadError&) {
    }
    return 0;
}
