#include "tools/tarvex/Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tarvex::tool {

namespace {
// Code points of 0x80..0x9F in Windows-1252; the five unassigned bytes map
// to the C1 controls of the same value, as Windows converts them.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
} // namespace

std::string Cp1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        char32_t cp = c;
        if (c >= 0x80 && c < 0xA0) cp = kHigh[c - 0x80];
        AppendUtf8(out, cp);
    }
    return out;
}

std::string JsonString(std::string_view cp1252)
{
    std::string out = "\"";
    for (char c : Cp1252ToUtf8(cp1252)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string JsonNumber(long double value)
{
    if (std::isnan(value)) return "null"; // no text we read gives one
    if (value == std::trunc(value) && std::fabs(value) < 1e18L) {
        long long whole = static_cast<long long>(value);
        return std::to_string(whole);
    }
    // Readers take JSON numbers as doubles and JSON has no infinity: a value
    // past the double range (TotalSize=1e400 reads as a finite long double)
    // is written as the largest double of its sign, which stays a number
    // above anything a drive can hold.
    constexpr double kLargest = std::numeric_limits<double>::max();
    double near = std::fabs(value) > kLargest ? std::copysign(kLargest, static_cast<double>(value))
                                              : static_cast<double>(value);
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, near);
    return std::string(buf, res.ptr);
}

} // namespace tarvex::tool
