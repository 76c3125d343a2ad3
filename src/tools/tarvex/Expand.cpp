// tarvex expand SRC DEST: what the copy phase does with one medium file.
#include "tools/tarvex/Arguments.h"
#include "tools/tarvex/Commands.h"

#include "engine/CopyFile.h"

namespace tarvex::tool {

namespace {

int RunExpand(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    if (auto exit = ParseArguments("expand", args, {}, files, 2, 2)) return *exit;
    try {
        ExpandReplacing(files[0], files[1]);
    } catch (const std::exception& e) {
        return ReportError(e.what());
    }
    return 0;
}

const Command kExpand("expand", "expand SRC DEST", RunExpand);

} // namespace

} // namespace tarvex::tool
