#pragma once
// A small JSON writer for the tool's output contracts.
#include <string>
#include <string_view>

namespace tarvex::tool {

// Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(std::string_view text);

// A JSON string literal (quotes included) of Windows-1252 text.
std::string JsonString(std::string_view cp1252);

// A JSON number: integral values without a fraction, others shortest;
// values past the double range as the largest double of their sign.
std::string JsonNumber(long double value);

} // namespace tarvex::tool
