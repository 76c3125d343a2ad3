#pragma once
// FileInfo: the time stamps and version strings of one file. The install
// engine compares dates through GetFileDate; the overwrite dialog shows them.
#include "platform/FileTimes.h"

#include <compare>
#include <string>

namespace tarvex {

// A local date and time as it passes through the MS-DOS format (two-second
// resolution). The default value is the empty date, 1 January of year 1.
struct TDateTime {
    int Year = 1;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    auto operator<=>(const TDateTime&) const = default;
    TDateTime DatePart() const { return TDateTime{Year, Month, Day, 0, 0, 0}; }
};

inline constexpr TDateTime kEmptyDate{};

// "dd/mm/yyyy", with separator in place of each '/'.
std::string FormatDate(const TDateTime& date, char separator = '/');

// The MS-DOS date and time as a date-time; throws Exception when it is not
// a valid date and time.
TDateTime DosToDateTime(const platform::DosDateTime& dos);

class TFileDateInfo {
public:
    std::string FileName; // the name whose stamps were last read in full
    TDateTime Accessed;
    TDateTime Modified;
    TDateTime Created;

    // Reads the file's stamps, unless name is the one last read. A file that
    // cannot be opened leaves the empty dates; a stamp that does not convert
    // raises, leaving the stamps before it read and FileName unchanged.
    void SetFileName(const std::string& name);
};

class TFileVersionInfo {
public:
    std::string FileName; // the name last read that had a FileVersion string
    std::string FileVersion;
    std::string CompanyName;
    std::string FileDescription;
    std::string InternalName;
    std::string LegalCopyright;
    std::string OriginalFilename;
    std::string ProductName;
    std::string ProductVersion;

    // Reads the strings of the "040904E4" string table, unless name is the
    // one last read; strings that are absent are left empty.
    void SetFileName(const std::string& name);
};

// Describes one file; a fresh one describes the running program. Owned by
// whoever shows it (the overwrite dialog holds one as a member).
class TFileInfo {
public:
    TFileInfo();

    const std::string& FileName() const { return fileName_; }
    // Reads the file's stamps and strings when name differs from the current
    // one; never raises, fields that could not be read stay empty.
    void SetFileName(const std::string& name) noexcept;

    const TFileDateInfo& DateInfo() const { return dateInfo_; }
    const TFileVersionInfo& VersionInfo() const { return versionInfo_; }

private:
    std::string fileName_;
    TFileDateInfo dateInfo_;
    TFileVersionInfo versionInfo_;
};

// The calendar date of the file's last write (local time, time of day
// dropped); the empty date for a file that cannot be read.
TDateTime GetFileDate(const std::string& path);

} // namespace tarvex
