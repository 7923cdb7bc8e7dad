#pragma once
// A value as SQLite holds it: null, integer, real, text (UTF-8) or blob. `Cell` views one in
// place (a column of a stepped statement); `Value` owns one (a parameter, a catalogue row).
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::tds {

enum class ValueKind { Null, Integer, Real, Text, Blob };

struct Cell {
    ValueKind kind = ValueKind::Null;
    int64_t integer = 0;
    double real = 0;
    std::string_view bytes;
};

struct Value {
    ValueKind kind = ValueKind::Null;
    int64_t integer = 0;
    double real = 0;
    std::string bytes;

    static Value null() { return {}; }
    static Value of(int64_t number) { return {ValueKind::Integer, number, 0, {}}; }
    static Value of(double number) { return {ValueKind::Real, 0, number, {}}; }
    static Value text(std::string utf8) { return {ValueKind::Text, 0, 0, std::move(utf8)}; }
    static Value blob(std::string data) { return {ValueKind::Blob, 0, 0, std::move(data)}; }

    Cell cell() const { return {kind, integer, real, bytes}; }
};

} // namespace velmora::tds
