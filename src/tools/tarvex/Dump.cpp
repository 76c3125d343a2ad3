#include "tools/tarvex/Arguments.h"
#include "tools/tarvex/Commands.h"
#include "tools/tarvex/Json.h"

#include "setup_description/SetupInformation.h"

namespace tarvex::tool {

std::string DumpJson(const TSetupInformation& info)
{
    std::string out = "{";
    bool first = true;
    auto key = [&](const char* name) {
        if (!first) out += ",";
        first = false;
        out += "\"";
        out += name;
        out += "\":";
    };
    auto text = [&](const char* name, const std::string& value) { key(name); out += JsonString(value); };
    auto list = [&](const char* name, const auto& items, auto&& writeItem) {
        key(name);
        out += "[";
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i) out += ",";
            writeItem(items[i]);
        }
        out += "]";
    };

    text("Title", info.Title);
    text("Executable", info.Executable);
    text("ReadMe", info.ReadMe);
    text("License", info.License);
    text("Directory", info.Directory);
    text("NewDirectory", info.NewDirectory);
    text("StartMenu", info.StartMenu);
    text("NewMenu", info.NewMenu);
    key("TotalSize");
    out += JsonNumber(info.TotalSize);
    text("Route", info.Route);
    text("Run", info.Run);
    text("RunDescription", info.RunDescription);
    list("Files", info.FileItems, [&](const TProgramItem& f) {
        out += "{\"Index\":" + std::to_string(f.Index) + ",\"SourceName\":" + JsonString(f.SourceName) +
               ",\"InstallName\":" + JsonString(f.InstallName) + ",\"Number\":" + std::to_string(f.Number) +
               ",\"DestDir\":" + JsonString(f.DestDir) + ",\"AskIfOlder\":" + (f.AskIfOlder ? "true" : "false") + "}";
    });
    list("Icons", info.IconItems, [&](const TIconItem& i) {
        out += "{\"Name\":" + JsonString(i.Name) + ",\"Folder\":" + JsonString(i.Folder) +
               ",\"Target\":" + JsonString(i.Target) + ",\"Arguments\":" + JsonString(i.Arguments) + "}";
    });
    list("Directories", info.Directories, [&](const std::string& d) { out += JsonString(d); });
    list("Registry", info.RegistryItems, [&](const TRegistryItem& r) {
        out += "{\"Root\":" + JsonString(r.Root) + ",\"Path\":" + JsonString(r.Path) + ",\"Data\":" + JsonString(r.Data) + "}";
    });
    out += "}";
    return out;
}

namespace {

int RunDump(const std::vector<std::string>& args)
{
    std::vector<std::string> ini;
    if (auto exit = ParseArguments("dump", args, {}, ini, 1, 1)) return *exit;
    std::string json;
    try {
        json = DumpJson(*ReadSetupIni(ini[0]));
    } catch (const std::exception& e) {
        return ReportError(e.what());
    }
    json += "\n";
    std::fwrite(json.data(), 1, json.size(), stdout);
    return 0;
}

const Command kDump("dump", "dump SETUP_INI", RunDump);

} // namespace

} // namespace tarvex::tool
