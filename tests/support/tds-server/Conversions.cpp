#include "Conversions.h"

#include <cmath>
#include <cstdio>

namespace velmora::tds {

namespace {

// Days since 0001-01-01 of a date of the proleptic Gregorian calendar.
int32_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = year / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 306;
}

void civilFromDays(int32_t days, int& year, int& month, int& day) {
    days += 306;
    const int era = days / 146097;
    const int dayOfEra = days - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    month = shiftedMonth + (shiftedMonth < 10 ? 3 : -9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}
    bool number(int digits, int& value) {
        value = 0;
        for (int i = 0; i < digits; ++i) {
            if (pos_ >= text_.size() || text_[pos_] < '0' || text_[pos_] > '9')
                return false;
            value = value * 10 + (text_[pos_++] - '0');
        }
        return true;
    }
    bool accept(char c) {
        if (pos_ < text_.size() && text_[pos_] == c)
            return ++pos_, true;
        return false;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    bool digitNext() const { return !atEnd() && text_[pos_] >= '0' && text_[pos_] <= '9'; }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool scanTime(Scanner& in, int64_t& ticks) {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    if (!in.number(2, hours) || !in.accept(':') || !in.number(2, minutes))
        return false;
    if (in.accept(':') && !in.number(2, seconds))
        return false;
    int64_t fraction = 0;
    if (in.accept('.')) {
        int64_t unit = ticks100PerSecond;
        while (in.digitNext()) {
            int digit = 0;
            in.number(1, digit);
            unit /= 10;
            fraction += digit * unit;
        }
    }
    if (hours > 23 || minutes > 59 || seconds > 59)
        return false;
    ticks = ((hours * 60 + minutes) * 60 + seconds) * ticks100PerSecond + fraction;
    return true;
}

} // namespace

std::optional<Timestamp> parseTimestamp(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    Scanner in(text);
    Timestamp value;
    if (text.size() >= 5 && text[2] == ':') {
        if (!scanTime(in, value.ticks100) || !in.atEnd())
            return std::nullopt;
        value.days = daysFromCivil(1900, 1, 1);
        return value;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (!in.number(4, year) || !in.accept('-') || !in.number(2, month) || !in.accept('-') ||
        !in.number(2, day) || month < 1 || month > 12 || day < 1 || day > 31 || year < 1)
        return std::nullopt;
    value.days = daysFromCivil(year, month, day);
    int checkYear = 0;
    int checkMonth = 0;
    int checkDay = 0;
    civilFromDays(value.days, checkYear, checkMonth, checkDay);
    if (checkDay != day)
        return std::nullopt; // the 30th of February, say
    if (in.atEnd())
        return value;
    if (!(in.accept(' ') || in.accept('T')) || !scanTime(in, value.ticks100) || !in.atEnd())
        return std::nullopt;
    return value;
}

std::string formatTimestamp(const Timestamp& value, bool withDate, bool withTime,
                            int fractionDigits) {
    std::string text;
    char buffer[64];
    if (withDate) {
        int year = 0;
        int month = 0;
        int day = 0;
        civilFromDays(value.days, year, month, day);
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
        text += buffer;
    }
    if (withTime) {
        const int64_t seconds = value.ticks100 / ticks100PerSecond;
        std::snprintf(buffer, sizeof buffer, "%s%02d:%02d:%02d", withDate ? " " : "",
                      static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                      static_cast<int>(seconds % 60));
        text += buffer;
        if (fractionDigits > 0) {
            std::snprintf(buffer, sizeof buffer, "%07lld",
                          static_cast<long long>(value.ticks100 % ticks100PerSecond));
            text += '.';
            text.append(buffer, static_cast<size_t>(fractionDigits));
        }
    }
    return text;
}

uint128 powerOfTen(int exponent) {
    uint128 value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

std::optional<ScaledDecimal> parseDecimal(std::string_view text, int scale) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    ScaledDecimal value;
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        value.negative = text[pos++] == '-';
    std::string digits;
    int pointAt = -1;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c == '.' && pointAt < 0)
            pointAt = static_cast<int>(digits.size());
        else
            break;
    }
    if (digits.empty())
        return std::nullopt;
    if (pointAt < 0)
        pointAt = static_cast<int>(digits.size());
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        int exponent = 0;
        const std::string rest(text.substr(pos + 1));
        char* end = nullptr;
        exponent = static_cast<int>(std::strtol(rest.c_str(), &end, 10));
        if (end == rest.c_str() || *end != '\0')
            return std::nullopt;
        pointAt += exponent;
    } else if (pos != text.size()) {
        return std::nullopt;
    }
    // The digits that stand before the point once it has moved `scale` places to the right.
    const int keep = pointAt + scale;
    for (int i = 0; i < keep && i < static_cast<int>(digits.size()) + 40; ++i) {
        const char digit =
            i < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(i)] : '0';
        if (value.magnitude > powerOfTen(38))
            return std::nullopt;
        value.magnitude = value.magnitude * 10 + static_cast<unsigned>(digit - '0');
    }
    if (keep >= 0 && keep < static_cast<int>(digits.size()) &&
        digits[static_cast<size_t>(keep)] >= '5')
        ++value.magnitude;
    value.negative = value.negative && value.magnitude != 0;
    return value;
}

ScaledDecimal decimalFromDouble(double value, int scale) {
    // Within 15 digits the product rounds as the shortest text of the value would.
    const double scaled = std::fabs(value) * static_cast<double>(powerOfTen(scale));
    if (scaled < 1e15)
        return {value < 0 && std::llround(scaled) != 0,
                static_cast<uint128>(static_cast<uint64_t>(std::llround(scaled)))};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return parseDecimal(buffer, scale).value_or(ScaledDecimal{});
}

std::string formatDecimal(const ScaledDecimal& value, int scale) {
    // Digits from the last: the fraction's, the point, then at least one before it.
    std::string reversed;
    uint128 rest = value.magnitude;
    for (int i = 0; i < scale; ++i, rest /= 10)
        reversed += static_cast<char>('0' + static_cast<int>(rest % 10));
    if (scale > 0)
        reversed += '.';
    do {
        reversed += static_cast<char>('0' + static_cast<int>(rest % 10));
        rest /= 10;
    } while (rest != 0);
    if (value.negative)
        reversed += '-';
    return std::string(reversed.rbegin(), reversed.rend());
}

std::optional<std::string> parseGuid(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}')
        text = text.substr(1, 36);
    if (text.size() != 36)
        return std::nullopt;
    std::string hex;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (text[i] == '-'))
            return std::nullopt;
        if (!dash)
            hex += text[i];
    }
    std::string bytes;
    for (size_t i = 0; i < 32; i += 2) {
        const auto nibble = [](char c) {
            if (c >= '0' && c <= '9')
                return c - '0';
            if (c >= 'a' && c <= 'f')
                return c - 'a' + 10;
            if (c >= 'A' && c <= 'F')
                return c - 'A' + 10;
            return -1;
        };
        const int high = nibble(hex[i]);
        const int low = nibble(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high << 4 | low);
    }
    // Data1, Data2 and Data3 go little-endian.
    std::swap(bytes[0], bytes[3]);
    std::swap(bytes[1], bytes[2]);
    std::swap(bytes[4], bytes[5]);
    std::swap(bytes[6], bytes[7]);
    return bytes;
}

std::string formatGuid(std::string_view bytes) {
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string text;
    char buffer[3];
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        std::snprintf(buffer, sizeof buffer, "%02X",
                      static_cast<unsigned char>(bytes[static_cast<size_t>(order[i])]));
        text += buffer;
    }
    return text;
}

} // namespace velmora::tds
