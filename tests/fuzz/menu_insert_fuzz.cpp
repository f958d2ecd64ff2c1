// Inserting the menu entry into arbitrary bytes. The first two bytes choose
// the partition numbers; the rest is the menu.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "hdinstall/bootini_rules.h"
#include "hdinstall/menu_entry.h"
#include "tests/fuzz/fuzz_checks.h"

using kh::fuzz::check;
using kh::fuzz::linesOf;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const unsigned iso = data[0] * 7u;  // reaches three digits
    const unsigned index = data[1];
    const std::string_view menu(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::string entry = kh::hd::menuEntry(iso, index);
    check(entry.find("root (hd0," + std::to_string(index) + ")\n") != std::string::npos,
          "whole system partition index");
    check(entry.find("/dev/sda" + std::to_string(iso) + "  ") != std::string::npos,
          "whole ISO partition number");

    const std::string result = kh::hd::insertMenuEntry(menu, entry);
    check(kh::fuzz::onlyCrLfLineEnds(result), "CR LF line ends");

    const auto before = linesOf(menu);
    const auto after = linesOf(result);
    const auto entryLines = linesOf(entry);
    size_t at = 0;
    while (at < before.size() && !kh::hd::isFirstTitleCandidate(before[at])) ++at;
    if (at == before.size()) {
        check(after == before, "menu without a title line unchanged");
        return 0;
    }
    check(
        before[at].find("title") != std::string::npos && before[at].find('#') == std::string::npos,
        "inserted before a title line without '#'");
    check(after.size() == before.size() + entryLines.size(), "entry inserted once");
    for (size_t i = 0; i < after.size(); ++i) {
        const bool inEntry = i >= at && i < at + entryLines.size();
        const std::string& expected =
            inEntry ? entryLines[i - at] : before[i < at ? i : i - entryLines.size()];
        check(after[i] == expected, "menu lines unchanged and in order");
    }
    return 0;
}
