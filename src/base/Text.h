#pragma once
// Text operations every layer shares.
#include <string>
#include <string_view>

namespace tarvex {

// Leading and trailing blanks and control characters (every byte up to the
// space) removed, as the framework's Trim removes them.
std::string Trim(std::string_view text);

// The text inside one pair of matching quotes (" or ') that encloses all of
// it; any other text unchanged.
std::string StripQuotes(std::string_view text);

} // namespace tarvex
