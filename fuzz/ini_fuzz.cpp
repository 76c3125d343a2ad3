// libFuzzer target: the INI reader on arbitrary text, and the whole setup
// description read from that text (the profile backend is swapped for one
// over the fuzz bytes, so no file is written).
#include "formats/IniText.h"
#include "platform/ProfileBackend.h"
#include "setup_description/DecimalText.h"
#include "setup_description/SetupInformation.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex::platform {

namespace {

std::string_view g_text;

class FuzzProfile final : public ProfileFile::Backend {
public:
    explicit FuzzProfile(std::string_view text) : ini_(text) {}
    std::optional<std::string> Lookup(const std::string& section, const std::string& key) const override
    {
        return ini_.Lookup(section, key);
    }
    std::vector<std::string> KeyNames(const std::string& section) const override { return ini_.KeyNames(section); }

private:
    IniText ini_;
};

} // namespace

std::unique_ptr<ProfileFile::Backend> OpenProfileBackend(const std::string&)
{
    return std::make_unique<FuzzProfile>(g_text);
}

} // namespace tarvex::platform

namespace {

using namespace tarvex;

void Require(bool condition)
{
    if (!condition) std::abort();
}

// Every name and value the reader hands out is a piece of the text it read.
void CheckPiece(std::string_view text, std::string_view piece) { Require(text.find(piece) != std::string_view::npos); }

// Splitting must end and must not lose or invent characters other than the
// blanks trimmed after each comma.
void CheckFields(const std::string& line)
{
    std::string rest = line;
    std::size_t fields = 0;
    std::size_t commas = 0;
    for (char c : line) commas += c == ',';
    while (true) {
        std::string before = rest;
        std::string field = NextField(rest);
        ++fields;
        Require(field.find(',') == std::string::npos);
        if (rest == before) break; // no comma left: the last field repeats
        Require(rest.size() < before.size());
    }
    Require(fields <= commas + 1);
}

void CheckReader(std::string_view text)
{
    IniText ini(text);
    static const char* const kSections[] = {"GENERAL", "files", "ICONS", "Directories", "REGISTRY", "", " GENERAL "};
    // Lines are counted from 1; there are no more than the line ends allow.
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n') +
                                           std::count(text.begin(), text.end(), '\r'));
    for (const char* section : kSections) {
        // The lines told are those of the keys listed, in file order.
        std::vector<IniText::Key> keys = ini.Keys(section);
        std::vector<std::string> names = ini.KeyNames(section);
        Require(keys.size() == names.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            Require(keys[i].name == names[i]);
            Require(keys[i].line >= 1 && keys[i].line <= lines && (i == 0 || keys[i].line > keys[i - 1].line));
            Require(ini.KeyLine(section, keys[i].name) >= 1);
        }
        for (const IniText::Key& bare : ini.LinesWithoutEquals(section)) Require(bare.line >= 1 && bare.line <= lines);
        for (const std::string& name : ini.KeyNames(section)) {
            CheckPiece(text, name);
            Require(!name.empty() && name.front() != ';');
            if (auto value = ini.Lookup(section, name)) {
                CheckPiece(text, *value);
                CheckFields(*value);
            }
        }
    }
    // Sections and keys named by the text itself.
    std::size_t open = text.find('[');
    std::size_t close = text.find(']', open == std::string_view::npos ? 0 : open);
    if (open != std::string_view::npos && close != std::string_view::npos) {
        std::string_view section = text.substr(open + 1, close - open - 1);
        for (const std::string& name : ini.KeyNames(section)) ini.Lookup(section, name);
    }
}

void CheckDescription()
{
    try {
        TSetupInformation info("Setup.INI");
        Require(info.GeneralComplete());
        for (std::size_t i = 0; i < info.FileItems.size(); ++i)
            Require(info.FileItems[i].Index == static_cast<std::int32_t>(i + 1));
        platform::ProfileFile ini("Setup.INI");
        Require(info.FileItems.size() <= ini.ReadKeyNames("FILES").size());
        Require(info.Directories.size() <= ini.ReadKeyNames("DIRECTORIES").size());
        for (const std::string& line : info.Directories) Require(line.size() < platform::kProfileValueBuffer);
    } catch (const EInvalidIni&) {
    } catch (const Exception& e) {
        // The only other failure is an unreadable TotalSize.
        Require(e.Message().find("is not a valid floating point value") != std::string::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckReader(text);
    tarvex::platform::g_text = text;
    CheckDescription();
    for (std::string_view number : {text.substr(0, 40), text.substr(text.size() / 2, 40)}) {
        try {
            tarvex::StrToInt(std::string(number));
        } catch (const tarvex::Exception&) {
        }
        try {
            tarvex::StrToFloat(std::string(number), '.');
            tarvex::StrToFloat(std::string(number), ',');
        } catch (const tarvex::Exception&) {
        }
    }
    return 0;
}
