// Checks shared by the fuzz properties. A broken check throws; under libFuzzer
// the uncaught exception aborts, which it reports as a finding together with
// the input, and the unit suite's corpus run names the input and the check.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hdinstall/bootini_rules.h"

namespace kh::fuzz {

struct BrokenProperty : std::logic_error {
    using std::logic_error::logic_error;
};

inline void check(bool condition, const char* what) {
    if (!condition) throw BrokenProperty(std::string("invariant broken: ") + what);
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
