// tarvex expand SRC DEST: what the copy phase does with one medium file.
#include "tools/tarvex/Commands.h"

#include "engine/CopyFile.h"

namespace tarvex::tool {

namespace {

int RunExpand(const std::vector<std::string>& args)
{
    if (args.size() != 2) return UsageError();
    try {
        ExpandReplacing(args[0], args[1]);
    } catch (const std::exception& e) {
        return ReportError(e.what());
    }
    return 0;
}

const Command kExpand("expand", "expand SRC DEST", RunExpand);

} // namespace

} // namespace tarvex::tool
