#pragma once
// Conversions between the text SQLite keeps and SQL Server's binary forms: dates and times
// (ISO 8601 text), exact decimals (scaled integers of up to 38 digits), GUIDs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::tds {

__extension__ typedef unsigned __int128 uint128;

struct Timestamp {
    int32_t days = 0;     // since 0001-01-01
    int64_t ticks100 = 0; // since midnight, in units of 100 ns
};

constexpr int64_t ticks100PerSecond = 10'000'000;
constexpr int64_t ticks100PerDay = 86400 * ticks100PerSecond;

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fffffff]]" (or with "T"), "HH:MM[:SS[.fffffff]]".
std::optional<Timestamp> parseTimestamp(std::string_view text);
// "YYYY-MM-DD HH:MM:SS.fff" with `fractionDigits` digits (none: no point); date or time alone
// when the other is not wanted.
std::string formatTimestamp(const Timestamp& value, bool withDate, bool withTime,
                            int fractionDigits);
// Days between 0001-01-01 and 1900-01-01, the epoch of datetime and smalldatetime.
constexpr int32_t daysTo1900 = 693595;

struct ScaledDecimal {
    bool negative = false;
    uint128 magnitude = 0; // the value times 10^scale
};

uint128 powerOfTen(int exponent);
// Rounds half away from zero to `scale` digits; nothing for text that is not a number.
std::optional<ScaledDecimal> parseDecimal(std::string_view text, int scale);
ScaledDecimal decimalFromDouble(double value, int scale);
std::string formatDecimal(const ScaledDecimal& value, int scale);

// "6F9619FF-8B86-D011-B42D-00C04FC964FF" (braces allowed) as the 16 bytes of the wire, whose
// first three groups are little-endian.
std::optional<std::string> parseGuid(std::string_view text);
std::string formatGuid(std::string_view bytes);

} // namespace velmora::tds
