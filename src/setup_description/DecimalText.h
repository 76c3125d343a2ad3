#pragma once
// Exact conversions between decimal text and binary floating point, in
// integer arithmetic. setup.exe cannot afford the C library's strtold and
// printf float code (about 40 KiB together); these round exactly as they do.
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

// A number in the general form: up to 15 significant digits, no thousands
// separators, whole numbers without decimals or exponent up to 15 digits.
std::string FloatToStr(long double value, char decimalSeparator);

} // namespace tarvex
