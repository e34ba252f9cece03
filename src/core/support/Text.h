#pragma once
// Small text helpers shared by the layers.

#include <string>
#include <string_view>

// The text without leading and trailing blanks and control characters (codes 0 to 32).
inline std::string Trim(std::string_view text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return std::string(text.substr(first, last - first));
}

// True when the text holds nothing but blanks and control characters (codes 0 to 32).
inline bool IsBlank(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

// The text without leading and trailing spaces; tabs and line breaks stay.
inline std::string TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string();
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// An ASCII letter in lower case; any other byte (UTF-8 included) unchanged.
inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// An ASCII letter in upper case; any other byte (UTF-8 included) unchanged.
inline char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// ASCII letters in lower case; other bytes (UTF-8 included) unchanged.
inline std::string Lower(std::string text) {
    for (char& c : text)
        c = LowerAscii(c);
    return text;
}

inline bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}
