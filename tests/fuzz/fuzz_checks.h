// Checks shared by the fuzz targets. A failed check aborts, which libFuzzer
// reports as a finding together with the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "hdinstall/bootini_rules.h"

namespace kh::fuzz {

inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

inline std::vector<std::string> linesOf(std::string_view content) {
    std::vector<std::string> lines;
    for (const hd::TextLine& line : hd::splitTextLines(content)) lines.emplace_back(line.text);
    return lines;
}

// Every LF the rewrites write is preceded by a CR.
inline bool onlyCrLfLineEnds(std::string_view content) {
    for (size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\n' && (i == 0 || content[i - 1] != '\r')) return false;
    }
    return true;
}

}  // namespace kh::fuzz
