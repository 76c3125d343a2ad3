// libFuzzer target: the PE version reader on arbitrary images and on
// arbitrary VS_VERSIONINFO trees.
#include "formats/PeVersion.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    using namespace tarvex;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static const char* const kPaths[] = {"\\StringFileInfo\\040904E4\\FileVersion", "\\StringFileInfo\\040904E4",
                                         "\\", "\\VarFileInfo\\Translation"};
    if (auto block = FindVersionResource(bytes)) {
        if (block->data() < bytes.data() || block->data() + block->size() > bytes.data() + bytes.size()) std::abort();
        for (const char* path : kPaths) QueryVersionText(*block, path);
    }
    for (const char* path : kPaths) QueryVersionText(bytes, path);
    return 0;
}
