// Numbers as text: the framework's conversions, and decimal text to long
// double and double to significant digits against the C library's strtold
// and snprintf (what StrToFloat and FloatToStr used before) in the same build.
#include "base/Exception.h"
#include "setup_description/DecimalText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tarvex {
namespace {

// Same value and sign, bit for bit (the 10 bytes of the x87 format).
void ExpectSameLongDouble(long double expected, long double actual, const std::string& text)
{
    EXPECT_EQ(0, std::memcmp(&expected, &actual, 10)) << text << ": expected " << expected << ", got " << actual;
}

void ExpectParsesAsStrtold(const std::string& text)
{
    const long double expected = std::strtold(text.c_str(), nullptr);
    const std::optional<long double> actual = ParseDecimal(text);
    if (std::isinf(expected)) {
        EXPECT_FALSE(actual) << text;
    } else {
        ASSERT_TRUE(actual) << text;
        ExpectSameLongDouble(expected, *actual, text);
    }
}

// Decimal digit strings with exact arithmetic, to write binary values out.
void MultiplyDigits(std::string& digits, std::int64_t factor)
{
    std::int64_t carry = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        const std::int64_t d = (*it - '0') * factor + carry;
        *it = static_cast<char>('0' + d % 10);
        carry = d / 10;
    }
    for (; carry; carry /= 10) digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
}

void DecrementDigits(std::string& digits)
{
    std::size_t i = digits.size();
    while (digits[--i] == '0') digits[i] = '9';
    --digits[i];
}

// (2 * half + 1) * 2^exponent written out exactly: digits * 10^-shift.
void ExactDecimal(std::uint64_t half, int exponent, std::string& digits, int& shift)
{
    digits = std::to_string(half);
    MultiplyDigits(digits, 2);
    ++digits.back(); // ends in an even digit: no carry
    shift = 0;
    for (; exponent >= 20; exponent -= 20) MultiplyDigits(digits, std::int64_t{1} << 20);
    for (; exponent > 0; --exponent) MultiplyDigits(digits, 2);
    for (; exponent <= -20; exponent += 20, shift += 20) MultiplyDigits(digits, 95367431640625); // 5^20
    for (; exponent < 0; ++exponent, ++shift) MultiplyDigits(digits, 5);
}

// The midpoint between two neighbouring long doubles, and a hair on each side.
void ExpectMidpointRounding(std::uint64_t half, int exponent)
{
    std::string digits;
    int shift = 0;
    ExactDecimal(half, exponent, digits, shift);
    ExpectParsesAsStrtold(digits + "e-" + std::to_string(shift));
    ExpectParsesAsStrtold(digits + "000001e-" + std::to_string(shift + 6));
    DecrementDigits(digits);
    ExpectParsesAsStrtold(digits + "99999e-" + std::to_string(shift + 5));
}

TEST(ParseDecimalTest, PlainFormsSignsAndZeros)
{
    EXPECT_EQ(12.5L, *ParseDecimal("12.5"));
    EXPECT_EQ(-0.5L, *ParseDecimal("-.5"));
    EXPECT_EQ(5.0L, *ParseDecimal("+5."));
    EXPECT_EQ(1500000.0L, *ParseDecimal("1500000"));
    EXPECT_EQ(1500000.0L, *ParseDecimal("0001.500000e+0006"));
    EXPECT_EQ(0.001L, *ParseDecimal("1E-3"));
    for (const char* zero : {"0", "000", "0.000", "0e999999999999999999", "1e-999999999999999999", "-0", "-0.0e5",
                             "-1e-5000"}) {
        SCOPED_TRACE(zero);
        const std::optional<long double> value = ParseDecimal(zero);
        ASSERT_TRUE(value);
        EXPECT_EQ(0.0L, *value);
        EXPECT_EQ(zero[0] == '-', std::signbit(*value));
    }
    for (const char* overflow : {"1e4933", "-1e4933", "1e999999999999999999", "1.18973149535723176508e+4932"})
        EXPECT_FALSE(ParseDecimal(overflow)) << overflow;
    EXPECT_EQ(std::numeric_limits<long double>::max(), *ParseDecimal("1.18973149535723176502e+4932"));
    EXPECT_EQ(std::numeric_limits<long double>::denorm_min(), *ParseDecimal("3.6451995318824746025e-4951"));
}

TEST(ParseDecimalTest, ManyDigitsAndExponentsAgreeWithStrtold)
{
    // A one followed by thousands of zeros, scaled back to one and beyond.
    const std::string zeros(5000, '0');
    for (const std::string& text : std::vector<std::string>{
             "1" + zeros + "e-5000", "0." + zeros + "1e5001", "9" + std::string(3000, '9') + "e-3000",
          "1" + zeros + "e-100", "4" + zeros + "e-9950", "123456789012345678901234567890123456789",
          "0.1", "0.2", "0.3", "2.5e-300", "4.9e-324", "1.7976931348623157e308", "1e4932", "1e-4950", "2e-4951",
          "1.8225997659412373012e-4951", "1.8225997659412373013e-4951", "9.99999999999999999999e4931"})
        ExpectParsesAsStrtold(text);

    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> digit(0, 9);
    for (int n = 0; n < 1500; ++n) {
        std::string text = n % 3 == 0 ? "-" : "";
        const int length = 1 + static_cast<int>(random() % (n % 10 == 0 ? 400 : 25));
        const int point = static_cast<int>(random() % static_cast<unsigned>(length + 1));
        for (int i = 0; i < length; ++i) {
            if (i == point) text += '.';
            text += static_cast<char>('0' + digit(random));
        }
        // Exponents over the whole range, with many near the ends.
        const int exponent = n % 2 ? static_cast<int>(random() % 9900) - 4950
                                   : static_cast<int>(random() % 60) + (n % 4 ? 4900 : -4990);
        text += "e" + std::to_string(exponent);
        ExpectParsesAsStrtold(text);
    }
}

TEST(ParseDecimalTest, HalfwayCasesRoundToEven)
{
    std::mt19937_64 random(7);
    const auto normal = [&] { return random() | std::uint64_t{1} << 63; };
    // Mantissa m at 2^e: the midpoint above it is (2m + 1) * 2^(e-1).
    for (int n = 0; n < 200; ++n) ExpectMidpointRounding(normal(), static_cast<int>(random() % 400) - 264);
    for (int n = 0; n < 4; ++n) {
        ExpectMidpointRounding(normal(), 16383 - 64);               // the largest binade, and beyond it
        ExpectMidpointRounding(normal(), -16382 - 64);              // the smallest normal binade
        ExpectMidpointRounding(random() >> 1, -16382 - 64);         // subnormals
        ExpectMidpointRounding(random() >> (1 + n * 16), -16382 - 64);
    }
    ExpectMidpointRounding(~std::uint64_t{0}, 16383 - 64);
    ExpectMidpointRounding(0, -16382 - 64);
}

TEST(StrToFloatTest, PlainDecimalsAndRejects)
{
    EXPECT_EQ(12.5L, StrToFloat("12.5", '.'));
    EXPECT_EQ(12.5L, StrToFloat("12,5", ','));
    EXPECT_EQ(-1.0L, StrToFloat("-1", '.'));
    EXPECT_EQ(7.0L, StrToFloat("+7", '.'));
    EXPECT_EQ(0.5L, StrToFloat(".5", '.'));
    EXPECT_EQ(5.0L, StrToFloat("5.", '.'));
    for (const char* bad : {"", " ", "1,5", "12 MB", "1e", "e5", ".", "--1", "0x10", "1e99999", "nan", "inf"}) {
        SCOPED_TRACE(bad);
        try {
            StrToFloat(bad, '.');
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(std::string("'") + bad + "' is not a valid floating point value", e.what());
        }
    }
}

TEST(StrToIntTest, Range)
{
    EXPECT_EQ(2147483647, StrToInt("2147483647"));
    EXPECT_EQ(-2147483647 - 1, StrToInt("-2147483648"));
    EXPECT_EQ(5, StrToInt("+5"));
    for (const char* bad : {"", "-", "2147483648", "-2147483649", "1 2", "x", "99999999999999999999"})
        EXPECT_THROW(StrToInt(bad), Exception) << bad;
}

TEST(StrToFloatTest, BlanksSeparatorsAndJunk)
{
    EXPECT_EQ(1500000.0L, StrToFloat("   1500000   ", '.'));
    EXPECT_EQ(0.25L, StrToFloat(" 0,25e0 ", ','));
    EXPECT_EQ(-250.0L, StrToFloat("-2,5E+2", ','));
    EXPECT_EQ(std::strtold("0.1", nullptr), StrToFloat("0,1", ','));
    EXPECT_EQ(1e300L, StrToFloat("1" + std::string(300, '0'), '.'));
    for (const char* bad : {"\t1", "1\t", "1 000", "1.5", "1,5,0", "1e+", "1e-x", "+", "-.", ",5e", "1e5.0", "0x1p3",
                            "1e5000", "12abc", "1.5E3 MB", "1d5", "one"}) {
        SCOPED_TRACE(bad);
        try {
            StrToFloat(bad, ',');
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(std::string("'") + bad + "' is not a valid floating point value", e.what());
        }
    }
}

// FloatToStr as it was written over snprintf's "%.*e".
std::string ReferenceFloatToStr(long double value, char separator)
{
    constexpr int kPrecision = 15;
    if (value == 0 || !std::isfinite(static_cast<double>(value))) return "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*e", kPrecision - 1, static_cast<double>(std::fabs(value)));
    std::string digits;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string text = value < 0 ? "-" : "";
    if (exponent >= kPrecision || exponent < -5) {
        text += digits[0];
        if (digits.size() > 1) text += separator + digits.substr(1);
        text += 'E';
        if (exponent < 0) text += '-';
        text += std::to_string(std::abs(exponent));
    } else if (exponent >= 0) {
        auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole)
            text += digits + std::string(whole - digits.size(), '0');
        else
            text += digits.substr(0, whole) + separator + digits.substr(whole);
    } else {
        text += std::string("0") + separator + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    return text;
}

TEST(FloatToStrTest, AgreesWithPrintfRounding)
{
    std::vector<long double> values = {1234567890123455.0L, 1234567890123445.0L, 1234567890123465.0L,
                                       999999999999999.5L,  9999999999999995.0L, 0.000009999999999999995L,
                                       1e15L,               1e15L - 1,           1e-5L,
                                       0.0000099999L,       5e-324L,             1.7976931348623157e308L,
                                       1e-4000L,            -1e-4000L,           1e400L,
                                       0.1L,                2.5L,                1.0L / 3};
    for (double p = 1e-320; p < 1e300; p *= 10) {
        values.push_back(p);
        values.push_back(std::nextafter(p, 0.0));
        values.push_back(std::nextafter(p, 1e308));
    }
    std::mt19937_64 random(15);
    for (int n = 0; n < 4000; ++n) {
        std::uint64_t bits = random();
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        if (std::isfinite(d)) values.push_back(d);
        values.push_back(static_cast<long double>(random() % 100000000000000000ULL) / (n % 7 == 0 ? 1000 : 1));
    }
    for (long double v : values) {
        for (char separator : {'.', ','}) {
            ASSERT_EQ(ReferenceFloatToStr(v, separator), FloatToStr(v, separator)) << static_cast<double>(v);
            ASSERT_EQ(ReferenceFloatToStr(-v, separator), FloatToStr(-v, separator)) << static_cast<double>(v);
        }
    }
}

TEST(FloatToStrTest, GeneralFormWithFifteenDigits)
{
    EXPECT_EQ("0", FloatToStr(0, '.'));
    EXPECT_EQ("900", FloatToStr(900, '.'));
    EXPECT_EQ("2000000", FloatToStr(2000000, '.'));
    EXPECT_EQ("999999999999999", FloatToStr(999999999999999.0L, '.'));
    EXPECT_EQ("1E15", FloatToStr(1e15L, '.'));
    EXPECT_EQ("1.23456789012346E18", FloatToStr(1234567890123456789.0L, '.'));
    EXPECT_EQ("0,5", FloatToStr(0.5L, ','));
    EXPECT_EQ("-2.25", FloatToStr(-2.25L, '.'));
    EXPECT_EQ("0.333333333333333", FloatToStr(1.0L / 3, '.'));
    EXPECT_EQ("0.00001", FloatToStr(0.00001L, '.'));
    EXPECT_EQ("1.5E-7", FloatToStr(1.5e-7L, '.'));
}

TEST(FloatToStrTest, RoundingCarriesIntoTheNextDecade)
{
    const SignificantDigits up = RoundToSignificant(9999999999999995.0, 15);
    EXPECT_EQ("100000000000000", up.digits);
    EXPECT_EQ(16, up.exponent);
    const SignificantDigits even = RoundToSignificant(1234567890123445.0, 15);
    EXPECT_EQ("123456789012344", even.digits);
    EXPECT_EQ("494065645841247", RoundToSignificant(5e-324, 15).digits);
    EXPECT_EQ(-324, RoundToSignificant(5e-324, 15).exponent);
}

} // namespace
} // namespace tarvex
