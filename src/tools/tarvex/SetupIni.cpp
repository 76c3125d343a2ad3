#include "tools/tarvex/Commands.h"

#include "authoring/FileBytes.h"
#include "setup_description/SetupInformation.h"

namespace tarvex::tool {

std::unique_ptr<TSetupInformation> ReadSetupIni(const std::string& iniPath)
{
    // A file that cannot be read reads as empty, so its GENERAL section
    // fails; say why instead of reading it (a FIFO would never answer).
    std::string problem = FileReadProblem(iniPath);
    if (!problem.empty()) throw EInvalidIni(std::string(kGeneralFailed) + ": " + iniPath + ": " + problem);
    try {
        return std::make_unique<TSetupInformation>(iniPath);
    } catch (const EInvalidIni& e) {
        std::string message = e.Message() + ": " + iniPath;
        if (e.Message() == kGeneralFailed) {
            std::string keys;
            for (const std::string& key : MissingGeneralKeys(iniPath)) keys += (keys.empty() ? "" : ", ") + key;
            if (!keys.empty()) message += ": missing " + keys;
        }
        throw EInvalidIni(message);
    }
}

} // namespace tarvex::tool
