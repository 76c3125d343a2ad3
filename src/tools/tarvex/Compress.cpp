// tarvex compress SRC DEST: one file into the LZ format the copy phase expands.
#include "tools/tarvex/Arguments.h"
#include "tools/tarvex/Commands.h"

#include "authoring/FileBytes.h"
#include "authoring/SzddFile.h"
#include "formats/SzddCompressor.h"
#include "platform/Files.h"

namespace tarvex::tool {

namespace {

int RunCompress(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    if (auto exit = ParseArguments("compress", args, {}, files, 2, 2)) return *exit;
    try {
        CompressSzddFile(files[0], files[1], ReplacedChar(BaseName(files[0])));
    } catch (const std::exception& e) {
        return ReportError(e.what());
    }
    return 0;
}

const Command kCompress("compress", "compress SRC DEST", RunCompress);

} // namespace

} // namespace tarvex::tool
