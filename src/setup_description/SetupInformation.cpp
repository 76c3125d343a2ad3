#include "setup_description/SetupInformation.h"

#include "base/Ascii.h"
#include "paths/PathText.h"
#include "platform/Profile.h"
#include "platform/System.h"
#include "setup_description/DecimalText.h"

#include <unordered_map>

namespace tarvex {

namespace {

constexpr char kGeneral[] = "GENERAL";
constexpr char kMissing[] = "ERROR";
constexpr char kMissingSize[] = "-1";
constexpr char kGeneralFailed[] = "Unable to read GENERAL section of ini file";
constexpr char kFilesFailed[] = "Unable to read FILES section of ini file";
constexpr char kIconsFailed[] = "Unable to read ICONS section of ini file";
constexpr char kRegistryFailed[] = "Unable to read REGISTRY section of ini file";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

std::string NextField(std::string& rest)
{
    std::size_t comma = rest.find(',');
    if (comma == std::string::npos) return rest;
    std::string field = rest.substr(0, comma);
    rest = Trim(std::string_view(rest).substr(comma + 1));
    return field;
}

long double StrToFloat(const std::string& text, char decimalSeparator)
{
    const auto fail = [&]() -> long double { throw Exception("'" + text + "' is not a valid floating point value"); };
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    // Accept [sign] digits [sep digits] [e [sign] digits], with at least one digit.
    std::string plain;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) { plain += s[i++]; ++digits; }
    if (i < s.size() && s[i] == decimalSeparator) {
        plain += '.';
        ++i;
        while (i < s.size() && IsDigit(s[i])) { plain += s[i++]; ++digits; }
    }
    if (digits == 0) return fail();
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
        std::size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i])) { plain += s[i++]; ++expDigits; }
        if (expDigits == 0) return fail();
    }
    if (i != s.size()) return fail();
    const std::optional<long double> value = ParseDecimal(plain);
    if (!value) return fail();
    return *value;
}

std::int32_t StrToInt(const std::string& text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) throw Exception("'" + text + "' is not a valid integer value");
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) throw Exception("'" + text + "' is not a valid integer value");
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) throw Exception("'" + text + "' is not a valid integer value");
    }
    if (negative) value = -value;
    if (value > 2147483647LL) throw Exception("'" + text + "' is not a valid integer value");
    return static_cast<std::int32_t>(value);
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
    for (const std::string* field : {&Title, &Executable, &ReadMe, &License, &Directory, &NewDirectory, &StartMenu,
                                     &NewMenu, &Route, &Run, &RunDescription})
        if (*field == kMissing) return false;
    return TotalSize != -1;
}

void TSetupInformation::Load(const platform::ProfileFile& ini)
{
    auto general = [&](const char* key) { return ini.ReadString(kGeneral, key, kMissing); };
    Title = general("Title");
    Executable = general("Executable");
    ReadMe = general("ReadMe");
    License = general("License");
    Directory = general("Directory");
    NewDirectory = general("NewDirectory");
    StartMenu = general("StartMenu");
    NewMenu = general("NewMenu");
    TotalSize = StrToFloat(ini.ReadString(kGeneral, "TotalSize", kMissingSize), platform::DecimalSeparator());
    Route = general("Route");
    Run = general("Run");
    RunDescription = general("Run Description");

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

} // namespace tarvex
