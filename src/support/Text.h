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
