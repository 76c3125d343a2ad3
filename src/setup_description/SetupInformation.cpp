#include "setup_description/SetupInformation.h"

#include "base/Ascii.h"
#include "base/Text.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "setup_description/DecimalText.h"

#include <unordered_map>

namespace tarvex {

namespace {

constexpr char kGeneral[] = "GENERAL";
constexpr char kFilesFailed[] = "Unable to read FILES section of ini file";
constexpr char kIconsFailed[] = "Unable to read ICONS section of ini file";
constexpr char kRegistryFailed[] = "Unable to read REGISTRY section of ini file";

// Runs one list section's reading; any failure becomes the section's message.
template <typename Fn>
void ReadListSection(const char* failure, Fn&& fn)
{
    try {
        fn();
    } catch (...) {
        throw EInvalidIni(failure);
    }
}

} // namespace

const char kGeneralFailed[] = "Unable to read GENERAL section of ini file";
const char kMissingText[] = "ERROR";
const char kMissingSize[] = "-1";
const char kTotalSizeKey[] = "TotalSize";

const GeneralText kGeneralTexts[11] = {
    {"Title", &TSetupInformation::Title},
    {"Executable", &TSetupInformation::Executable},
    {"ReadMe", &TSetupInformation::ReadMe},
    {"License", &TSetupInformation::License},
    {"Directory", &TSetupInformation::Directory},
    {"NewDirectory", &TSetupInformation::NewDirectory},
    {"StartMenu", &TSetupInformation::StartMenu},
    {"NewMenu", &TSetupInformation::NewMenu},
    {"Route", &TSetupInformation::Route},
    {"Run", &TSetupInformation::Run},
    {"Run Description", &TSetupInformation::RunDescription},
};

void ReadGeneralTexts(const platform::ProfileFile& ini, TSetupInformation& info)
{
    for (const auto& [key, field] : kGeneralTexts) info.*field = ini.ReadString(kGeneral, key, kMissingText);
}

std::string NextField(std::string& rest)
{
    std::size_t comma = rest.find(',');
    if (comma == std::string::npos) return rest;
    std::string field = rest.substr(0, comma);
    rest = Trim(std::string_view(rest).substr(comma + 1));
    return field;
}

std::vector<std::string> ReadNumberedSection(const platform::ProfileFile& ini, const std::string& section)
{
    // Non-empty entries in file order, each name once (first wins); found
    // again by number through a map, so a full key list reads in linear time.
    std::unordered_map<std::string, std::string> byName;
    std::size_t count = 0;
    for (const std::string& name : ini.ReadKeyNames(section)) {
        std::string value = ini.ReadString(section, name, "");
        if (value.empty()) continue;
        if (byName.emplace(AsciiLowerCopy(name), std::move(value)).second) ++count;
    }
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t i = 1; i <= count; ++i) {
        auto it = byName.find(std::to_string(i));
        lines.push_back(it == byName.end() ? std::string() : it->second);
    }
    return lines;
}

TSetupInformation::TSetupInformation(const std::string& iniPath)
{
    platform::ProfileFile ini(iniPath);
    Load(ini);
}

bool TSetupInformation::GeneralComplete() const
{
    for (const auto& [key, field] : kGeneralTexts)
        if (this->*field == kMissingText) return false;
    return TotalSize != -1;
}

void TSetupInformation::Load(const platform::ProfileFile& ini)
{
    // The texts before TotalSize: the order is not seen, as only the
    // conversion of TotalSize can fail.
    ReadGeneralTexts(ini, *this);
    TotalSize = StrToFloat(ini.ReadString(kGeneral, kTotalSizeKey, kMissingSize), platform::DecimalSeparator());

    if (!GeneralComplete()) throw EInvalidIni(kGeneralFailed);

    ReadListSection(kFilesFailed, [&] {
        std::int32_t index = 0;
        for (std::string rest : ReadNumberedSection(ini, "FILES")) {
            TProgramItem item;
            item.Index = ++index;
            item.SourceName = NextField(rest);
            item.InstallName = NextField(rest);
            item.Number = StrToInt(Trim(NextField(rest)));
            item.DestDir = NextField(rest);
            item.AskIfOlder = SameTextAscii(NextField(rest), "Y");
            FileItems.push_back(std::move(item));
        }
    });
    ReadListSection(kIconsFailed, [&] {
        for (std::string rest : ReadNumberedSection(ini, "ICONS")) {
            TIconItem item;
            item.Name = NextField(rest);
            item.Folder = NextField(rest);
            item.Target = NextField(rest);
            item.Arguments = NextField(rest);
            IconItems.push_back(std::move(item));
        }
    });
    Directories = ReadNumberedSection(ini, "DIRECTORIES");
    ReadListSection(kRegistryFailed, [&] {
        for (std::string rest : ReadNumberedSection(ini, "REGISTRY")) {
            TRegistryItem item;
            item.Root = NextField(rest);
            item.Path = NextField(rest);
            item.Data = NextField(rest);
            RegistryItems.push_back(std::move(item));
        }
    });
}

std::vector<std::string> MissingGeneralKeys(const std::string& iniPath)
{
    platform::ProfileFile ini(iniPath);
    TSetupInformation general;
    ReadGeneralTexts(ini, general);
    std::vector<std::string> missing;
    for (const auto& [key, field] : kGeneralTexts)
        if (general.*field == kMissingText) missing.push_back(key);
    try {
        if (StrToFloat(ini.ReadString(kGeneral, kTotalSizeKey, kMissingSize), platform::DecimalSeparator()) == -1)
            missing.push_back(kTotalSizeKey);
    } catch (const Exception&) {
        // Not a number: a failure of its own, not a missing key.
    }
    return missing;
}

} // namespace tarvex
