#include "engine/FileInfo.h"

#include "base/Exception.h"
#include "platform/System.h"
#include "platform/VersionResource.h"

#include <algorithm>

namespace tarvex {

namespace {

constexpr const char* kVersionTranslation = "040904E4"; // U.S. English, Windows Latin-1

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// printf's "%0*d" without printf, whose float code setup.exe cannot afford:
// the sign, then zeros up to the width.
std::string ZeroPadded(int value, int width)
{
    std::string digits;
    auto magnitude = static_cast<unsigned>(value);
    if (value < 0) magnitude = 0u - magnitude;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    const int sign = value < 0 ? 1 : 0;
    const int padding = std::max(0, width - sign - static_cast<int>(digits.size()));
    return std::string(sign, '-') + std::string(static_cast<std::size_t>(padding), '0') + digits;
}

} // namespace

std::string FormatDate(const TDateTime& date, char separator)
{
    std::string text = ZeroPadded(date.Day, 2);
    text += separator;
    text += ZeroPadded(date.Month, 2);
    text += separator;
    text += ZeroPadded(date.Year, 4);
    return text;
}

TDateTime DosToDateTime(const platform::DosDateTime& dos)
{
    TDateTime result{1980 + (dos.date >> 9), (dos.date >> 5) & 0x0F, dos.date & 0x1F,
                     dos.time >> 11,         (dos.time >> 5) & 0x3F, (dos.time & 0x1F) * 2};
    if (result.Month < 1 || result.Month > 12 || result.Day < 1 || result.Day > DaysInMonth(result.Year, result.Month) ||
        result.Hour > 23 || result.Minute > 59 || result.Second > 59)
        throw Exception("Invalid file date");
    return result;
}

void TFileDateInfo::SetFileName(const std::string& name)
{
    if (name == FileName) return;
    Accessed = Modified = Created = kEmptyDate;
    std::optional<platform::FileStamps> stamps = platform::ReadFileStamps(name);
    if (!stamps) return;
    TDateTime* targets[] = {&Accessed, &Modified, &Created};
    for (std::size_t i = 0; i < stamps->stamps.size(); ++i) {
        if (!stamps->stamps[i]) throw Exception("Invalid file date");
        *targets[i] = DosToDateTime(*stamps->stamps[i]);
    }
    FileName = name;
}

void TFileVersionInfo::SetFileName(const std::string& name)
{
    if (name == FileName) return;
    struct Key {
        const char* name;
        std::string TFileVersionInfo::*field;
    };
    static constexpr Key kKeys[] = {
        {"FileVersion", &TFileVersionInfo::FileVersion},
        {"CompanyName", &TFileVersionInfo::CompanyName},
        {"FileDescription", &TFileVersionInfo::FileDescription},
        {"InternalName", &TFileVersionInfo::InternalName},
        {"LegalCopyright", &TFileVersionInfo::LegalCopyright},
        {"OriginalFilename", &TFileVersionInfo::OriginalFilename},
        {"ProductName", &TFileVersionInfo::ProductName},
        {"ProductVersion", &TFileVersionInfo::ProductVersion},
    };
    for (const Key& key : kKeys) (this->*key.field).clear();
    std::optional<platform::VersionResource> resource = platform::VersionResource::Read(name);
    if (!resource) return;
    for (const Key& key : kKeys) {
        std::optional<std::string> value = resource->QueryString(kVersionTranslation, key.name);
        if (!value) continue;
        this->*key.field = *value;
        if (key.field == &TFileVersionInfo::FileVersion) FileName = name;
    }
}

TFileInfo::TFileInfo() { SetFileName(platform::ExePath()); }

void TFileInfo::SetFileName(const std::string& name) noexcept
{
    if (name == fileName_) return;
    try {
        fileName_ = name;
    } catch (...) {
        return;
    }
    try {
        dateInfo_.SetFileName(name);
    } catch (...) {
    }
    try {
        versionInfo_.SetFileName(name);
    } catch (...) {
    }
}

TDateTime GetFileDate(const std::string& path)
{
    // What a fresh TFileInfo assigned this path would hold, without first
    // reading the running program and the file's version resource.
    TFileDateInfo dates;
    try {
        dates.SetFileName(path);
    } catch (...) {
    }
    return dates.Modified.DatePart();
}

} // namespace tarvex
