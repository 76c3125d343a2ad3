#pragma once
// Numbers as text: the framework's conversions, over exact ones between
// decimal text and binary floating point in integer arithmetic. setup.exe
// cannot afford the C library's strtold and printf float code (about 40 KiB
// together); these round exactly as they do.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvex {

// "[+|-] digits [. digits] [e|E [+|-] digits]" with at least one mantissa
// digit (the caller has checked the form), rounded to the nearest long
// double, ties to even, as strtold does. Values too small for a long double
// become a zero of their sign; nullopt when the value is too large.
std::optional<long double> ParseDecimal(std::string_view text);

struct SignificantDigits {
    std::string digits; // exactly the count asked for, the first one non-zero
    int exponent = 0;   // decimal exponent of the first digit
};

// The first count significant digits of a finite, non-zero double's
// magnitude, rounded ties to even on its exact value, as printf's "%.*e"
// gives them.
SignificantDigits RoundToSignificant(double value, int count);

// Text to number as the framework converts it, with the given decimal
// separator; throws "'text' is not a valid floating point value".
long double StrToFloat(const std::string& text, char decimalSeparator);

// Text to a 32-bit integer; throws on anything else.
std::int32_t StrToInt(const std::string& text);

// A number in the general form: up to 15 significant digits, no thousands
// separators, whole numbers without decimals or exponent up to 15 digits.
std::string FloatToStr(long double value, char decimalSeparator);

} // namespace tarvex
