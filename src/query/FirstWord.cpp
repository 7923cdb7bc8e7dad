#include "FirstWord.h"

namespace velmora::query {

namespace {

bool IsBlankOrControl(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code <= ' ' || code == 0x7F;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string_view TrimBlanksAndControls(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string FirstWord(std::string_view script) {
    const std::string_view trimmed = TrimBlanksAndControls(script);
    const size_t space = trimmed.find(' ');
    return space == std::string_view::npos ? std::string() : std::string(trimmed.substr(0, space));
}

bool IsSelectScript(std::string_view script) {
    std::string word = FirstWord(script);
    for (char& c : word)
        c = AsciiLower(c);
    return word == "select";
}

} // namespace velmora::query
