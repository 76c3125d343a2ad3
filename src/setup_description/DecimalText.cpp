#include "setup_description/DecimalText.h"

#include "base/Exception.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cstdlib>
#include <limits>
#include <vector>

namespace tarvex {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

using Limits = std::numeric_limits<long double>;
// Both builds run on x86, whose long double is the 80-bit extended format;
// ComposeLongDouble writes its bits.
static_assert(Limits::digits == 64 && Limits::max_exponent == 16384 && Limits::min_exponent == -16381,
              "x87 extended precision long double expected");
constexpr int kMantissaBits = Limits::digits;
constexpr std::uint32_t kBillion = 1000000000;

// An unsigned integer of any size, 32-bit limbs from the lowest.
class BigUnsigned {
public:
    bool IsZero() const { return limbs_.empty(); }

    void MultiplyAdd(std::uint32_t factor, std::uint32_t addend)
    {
        std::uint64_t carry = addend;
        for (std::uint32_t& limb : limbs_) {
            carry += static_cast<std::uint64_t>(limb) * factor;
            limb = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry) limbs_.push_back(static_cast<std::uint32_t>(carry));
    }

    void MultiplyByPowerOf(std::uint32_t base, int power)
    {
        // The largest power of the base that fits a limb, then the rest.
        std::uint32_t step = 1;
        int stepPower = 0;
        while (step <= 0xFFFFFFFFu / base) {
            step *= base;
            ++stepPower;
        }
        for (; power >= stepPower; power -= stepPower) MultiplyAdd(step, 0);
        std::uint32_t last = 1;
        for (; power > 0; --power) last *= base;
        MultiplyAdd(last, 0);
    }

    // Divides in place and returns the remainder.
    std::uint32_t DivideBy(std::uint32_t divisor)
    {
        std::uint64_t rest = 0;
        for (auto it = limbs_.rbegin(); it != limbs_.rend(); ++it) {
            rest = rest << 32 | *it;
            *it = static_cast<std::uint32_t>(rest / divisor);
            rest %= divisor;
        }
        Trim();
        return static_cast<std::uint32_t>(rest);
    }

    void ShiftLeft(int bits)
    {
        if (IsZero() || bits == 0) return;
        const int whole = bits / 32;
        const int part = bits % 32;
        limbs_.insert(limbs_.begin(), static_cast<std::size_t>(whole), 0);
        if (part) {
            std::uint32_t carry = 0;
            for (std::size_t i = static_cast<std::size_t>(whole); i < limbs_.size(); ++i) {
                const std::uint32_t limb = limbs_[i];
                limbs_[i] = limb << part | carry;
                carry = limb >> (32 - part);
            }
            if (carry) limbs_.push_back(carry);
        }
    }

    void ShiftRightOne()
    {
        for (std::size_t i = 0; i < limbs_.size(); ++i) {
            limbs_[i] >>= 1;
            if (i + 1 < limbs_.size()) limbs_[i] |= limbs_[i + 1] << 31;
        }
        Trim();
    }

    int BitLength() const
    {
        if (IsZero()) return 0;
        int bits = static_cast<int>(limbs_.size() - 1) * 32;
        for (std::uint32_t top = limbs_.back(); top; top >>= 1) ++bits;
        return bits;
    }

    bool Bit(int index) const
    {
        const auto limb = static_cast<std::size_t>(index / 32);
        return index >= 0 && limb < limbs_.size() && (limbs_[limb] >> (index % 32) & 1);
    }

    bool AnyBitBelow(int index) const
    {
        for (int i = 0; i < index && i < static_cast<int>(limbs_.size()) * 32; ++i)
            if (Bit(i)) return true;
        return false;
    }

    void SetBit(int index)
    {
        const auto limb = static_cast<std::size_t>(index / 32);
        if (limbs_.size() <= limb) limbs_.resize(limb + 1, 0);
        limbs_[limb] |= std::uint32_t{1} << (index % 32);
    }

    // The bits from index upward, as many as fit 64.
    std::uint64_t BitsFrom(int index) const
    {
        std::uint64_t bits = 0;
        for (int i = 63; i >= 0; --i) bits = bits << 1 | (Bit(index + i) ? 1 : 0);
        return bits;
    }

    friend bool operator<(const BigUnsigned& a, const BigUnsigned& b)
    {
        if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() < b.limbs_.size();
        return std::lexicographical_compare(a.limbs_.rbegin(), a.limbs_.rend(), b.limbs_.rbegin(), b.limbs_.rend());
    }

    // this -= other, where other is not larger.
    void Subtract(const BigUnsigned& other)
    {
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < limbs_.size(); ++i) {
            std::int64_t d = static_cast<std::int64_t>(limbs_[i]) - borrow -
                             (i < other.limbs_.size() ? static_cast<std::int64_t>(other.limbs_[i]) : 0);
            borrow = d < 0;
            limbs_[i] = static_cast<std::uint32_t>(d);
        }
        Trim();
    }

    std::string ToDecimal() const
    {
        if (IsZero()) return "0";
        BigUnsigned rest = *this;
        std::string reversed;
        while (!rest.IsZero()) {
            std::uint32_t chunk = rest.DivideBy(kBillion);
            for (int i = 0; i < 9; ++i, chunk /= 10) reversed += static_cast<char>('0' + chunk % 10);
        }
        while (reversed.size() > 1 && reversed.back() == '0') reversed.pop_back();
        return {reversed.rbegin(), reversed.rend()};
    }

private:
    void Trim()
    {
        while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
    }

    std::vector<std::uint32_t> limbs_;
};

long double ComposeLongDouble(bool negative, std::uint64_t mantissa, int lowestBitExponent)
{
    // A set top bit makes a normal number; otherwise it is subnormal (or zero)
    // with the biased exponent 0.
    const bool normal = mantissa >> 63;
    const auto biased = static_cast<std::uint16_t>(normal ? lowestBitExponent + 63 + (Limits::max_exponent - 1) : 0);
    const std::uint16_t signAndExponent = static_cast<std::uint16_t>((negative ? 0x8000 : 0) | biased);
    long double value = 0;
    unsigned char bytes[sizeof value] = {};
    std::memcpy(bytes, &mantissa, 8);
    std::memcpy(bytes + 8, &signAndExponent, 2);
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

} // namespace

std::optional<long double> ParseDecimal(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // The significant digits as one integer, the decimal exponent of its last
    // digit, and how many digits it has.
    BigUnsigned digits;
    long long exponent = 0;
    long long digitCount = 0;
    std::uint32_t chunk = 0;
    std::uint32_t chunkScale = 1;
    bool fraction = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !fraction) {
            fraction = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        if (fraction) --exponent;
        if (digitCount == 0 && c == '0') continue;
        chunk = chunk * 10 + static_cast<std::uint32_t>(c - '0');
        chunkScale *= 10;
        ++digitCount;
        if (chunkScale == kBillion) {
            digits.MultiplyAdd(chunkScale, chunk);
            chunk = 0;
            chunkScale = 1;
        }
    }
    if (chunkScale > 1) digits.MultiplyAdd(chunkScale, chunk);
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
        // Far beyond any long double: more digits change nothing.
        constexpr long long kExponentCap = 1000000000;
        long long written = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            written = std::min(kExponentCap, written * 10 + (text[i] - '0'));
        exponent += negativeExponent ? -written : written;
    }
    if (digits.IsZero()) return negative ? -0.0L : 0.0L;

    // The value lies in [10^(magnitude-1), 10^magnitude). Far outside the
    // range it overflows, or is below half the smallest subnormal.
    const long long magnitude = digitCount + exponent;
    if (magnitude > Limits::max_exponent10 + 1) return std::nullopt;
    if (magnitude < Limits::min_exponent10 - Limits::digits10 - 2) return negative ? -0.0L : 0.0L;

    // value = numerator / denominator exactly.
    BigUnsigned numerator = digits;
    BigUnsigned denominator;
    denominator.MultiplyAdd(1, 1);
    if (exponent >= 0)
        numerator.MultiplyByPowerOf(10, static_cast<int>(exponent));
    else
        denominator.MultiplyByPowerOf(10, static_cast<int>(-exponent));

    // Scale by 2^scale so that the quotient has kMantissaBits + 2 or + 3
    // bits: the mantissa, the rounding bit and at least one more.
    const int scale = kMantissaBits + 2 - (numerator.BitLength() - denominator.BitLength());
    if (scale > 0)
        numerator.ShiftLeft(scale);
    else
        denominator.ShiftLeft(-scale);
    const int quotientTop = numerator.BitLength() - denominator.BitLength();
    BigUnsigned quotient;
    denominator.ShiftLeft(quotientTop);
    for (int bit = quotientTop; bit >= 0; --bit) {
        if (!(numerator < denominator)) {
            numerator.Subtract(denominator);
            quotient.SetBit(bit);
        }
        denominator.ShiftRightOne();
    }
    const bool inexact = !numerator.IsZero();

    // value = (quotient + a fraction) * 2^-scale; keep kMantissaBits from the
    // top, or fewer for a subnormal, whose lowest bit has a fixed place.
    const int top = quotient.BitLength() - 1 - scale;
    int lowestBit = std::max(top, Limits::min_exponent - 1) - (kMantissaBits - 1);
    const int dropped = lowestBit + scale;
    std::uint64_t mantissa = quotient.BitsFrom(dropped);
    const bool half = quotient.Bit(dropped - 1);
    const bool sticky = inexact || quotient.AnyBitBelow(dropped - 1);
    if (half && (sticky || (mantissa & 1))) {
        if (++mantissa == 0) {
            mantissa = std::uint64_t{1} << 63;
            ++lowestBit;
        }
    }
    if (lowestBit + kMantissaBits - 1 > Limits::max_exponent - 1) return std::nullopt;
    return ComposeLongDouble(negative, mantissa, lowestBit);
}

SignificantDigits RoundToSignificant(double value, int count)
{
    static_assert(std::numeric_limits<double>::digits == 53);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>(bits >> 52 & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    // |value| = mantissa * 2^binaryExponent.
    const std::uint64_t mantissa = biased ? fraction | std::uint64_t{1} << 52 : fraction;
    const int binaryExponent = (biased ? biased : 1) - 1075;

    // All its decimal digits: m * 2^e, or m * 5^-e / 10^-e.
    BigUnsigned exact;
    exact.MultiplyAdd(1, static_cast<std::uint32_t>(mantissa >> 32));
    exact.ShiftLeft(32);
    exact.MultiplyAdd(1, static_cast<std::uint32_t>(mantissa));
    int decimalShift = 0;
    if (binaryExponent >= 0) {
        exact.ShiftLeft(binaryExponent);
    } else {
        exact.MultiplyByPowerOf(5, -binaryExponent);
        decimalShift = binaryExponent;
    }
    const std::string all = exact.ToDecimal();

    SignificantDigits result;
    result.exponent = static_cast<int>(all.size()) - 1 + decimalShift;
    const auto n = static_cast<std::size_t>(count);
    if (all.size() <= n) {
        result.digits = all + std::string(n - all.size(), '0');
        return result;
    }
    result.digits = all.substr(0, n);
    const std::string_view rest = std::string_view(all).substr(n);
    const bool aboveHalf = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string_view::npos);
    const bool tie = rest[0] == '5' && !aboveHalf;
    if (aboveHalf || (tie && (result.digits.back() - '0') % 2 == 1)) {
        std::size_t k = n;
        while (k > 0 && result.digits[k - 1] == '9') result.digits[--k] = '0';
        if (k == 0) {
            result.digits.insert(0, 1, '1');
            result.digits.pop_back();
            ++result.exponent;
        } else {
            ++result.digits[k - 1];
        }
    }
    return result;
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

std::string FloatToStr(long double value, char decimalSeparator)
{
    constexpr int kPrecision = 15;
    if (value == 0 || !std::isfinite(static_cast<double>(value))) return "0";
    // The 15 significant digits and the decimal exponent of the first one.
    const double magnitude = static_cast<double>(std::fabs(value));
    SignificantDigits rounded{std::string(kPrecision, '0'), 0};
    if (magnitude != 0) rounded = RoundToSignificant(magnitude, kPrecision);
    std::string& digits = rounded.digits;
    const int exponent = rounded.exponent;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    // Appended piece by piece: concatenated temporaries cost setup.exe the
    // string's insert code.
    std::string text = value < 0 ? "-" : "";
    if (exponent >= kPrecision || exponent < -5) {
        text += digits[0];
        if (digits.size() > 1) {
            text += decimalSeparator;
            text.append(digits, 1);
        }
        text += 'E';
        if (exponent < 0) text += '-';
        text += std::to_string(std::abs(exponent));
    } else if (exponent >= 0) {
        auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            text += digits;
            text.append(whole - digits.size(), '0');
        } else {
            text.append(digits, 0, whole);
            text += decimalSeparator;
            text.append(digits, whole);
        }
    } else {
        text += '0';
        text += decimalSeparator;
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    }
    return text;
}

} // namespace tarvex
