// The properties of the boot.ini and menu line rules for arbitrary input,
// checked by the fuzz targets and, over the seed corpus, by the unit suite. A
// broken property throws; under libFuzzer the uncaught exception aborts, which
// it reports as a finding with the input, and the unit suite's corpus run names
// the input and the property.
#pragma once

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hdinstall/bootini_rules.h"
#include "hdinstall/menu_entry.h"

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

// Adding the boot entry: only timeout lines change, the entry goes in once and
// lies in [operating systems] (or the addition is refused without that
// section), the addition is idempotent and undone by the removal.
inline void checkBootIniAdd(std::string_view original) {
    bool found = false;
    const std::optional<std::string> result = hd::addEntryToBootIni(original, &found);
    const auto before = linesOf(original);
    const bool hasSection = std::any_of(before.begin(), before.end(), hd::isOperatingSystemsHeader);
    bool markerOutsideTimeout = false;
    for (const auto& line : before) {
        markerOutsideTimeout |=
            line.find(hd::kEntryMarker) != std::string::npos && !hd::isTimeoutLine(line);
    }
    check(result.has_value() == (hasSection || markerOutsideTimeout),
          "refused exactly when the entry would lie outside [operating systems]");
    if (!result) return;
    const std::string& added = *result;
    check(found == markerOutsideTimeout, "marker reported exactly when present");
    check(added.find(hd::kEntryMarker) != std::string::npos, "entry present afterwards");
    check(onlyCrLfLineEnds(added), "CR LF line ends");

    const auto after = linesOf(added);
    check(after.size() == before.size() + (found ? 0 : 1), "one line added, or none");
    const size_t entry =
        found ? after.size()
              : static_cast<size_t>(std::find(after.begin(), after.end(), hd::bootEntryLine()) -
                                    after.begin());
    for (size_t i = 0; i < before.size(); ++i) {
        const bool timeout = hd::isTimeoutLine(before[i]);
        check(after[i < entry ? i : i + 1] == (timeout ? "timeout=15" : before[i]),
              "only timeout lines change");
    }
    if (!found) {
        check(entry < after.size(), "entry line added");
        size_t header = entry;
        auto isHeader = [](const std::string& line) {
            const size_t first = line.find_first_not_of(" \t");
            return first != std::string::npos && line[first] == '[';
        };
        while (header > 0 && !isHeader(after[header])) --header;
        check(hd::isOperatingSystemsHeader(after[header]), "entry lies in [operating systems]");
    }

    bool foundAgain = false;
    check(hd::addEntryToBootIni(added, &foundAgain) == added && foundAgain, "idempotent");

    if (!found) {
        const auto lines = hd::splitTextLines(original);
        std::string expected;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string_view text = lines[i].text;
            hd::appendTextLine(expected, hd::isTimeoutLine(text) ? "timeout=15" : text,
                               lines[i].ended || i + 1 == entry);
        }
        check(hd::removeEntryFromBootIni(added) == expected, "removal undoes the addition");
    }
}

// Removing the boot entry: no marker survives, the other lines stay as they
// were and in order, and a second removal changes nothing.
inline void checkBootIniRemove(std::string_view original) {
    const std::string removed = hd::removeEntryFromBootIni(original);

    check(removed.find(hd::kEntryMarker) == std::string::npos, "no marker remains");
    check(onlyCrLfLineEnds(removed), "CR LF line ends");
    check(hd::removeEntryFromBootIni(removed) == removed, "idempotent");

    const auto before = hd::splitTextLines(original);
    const auto after = hd::splitTextLines(removed);
    size_t next = 0;
    for (const auto& line : before) {
        if (line.text.find(hd::kEntryMarker) != std::string_view::npos) continue;
        check(next < after.size() && after[next].text == line.text, "other lines unchanged");
        check(after[next].ended == line.ended, "line ends kept");
        ++next;
    }
    check(next == after.size(), "no line added");
}

// Inserting the menu entry. The first two bytes choose the partition numbers;
// the rest is the menu.
inline void checkMenuInsert(std::string_view input) {
    if (input.size() < 2) return;
    const unsigned iso = static_cast<unsigned char>(input[0]) * 7u;  // reaches three digits
    const unsigned index = static_cast<unsigned char>(input[1]);
    const std::string_view menu = input.substr(2);

    const std::string entry = hd::menuEntry(iso, index);
    check(entry.find("root (hd0," + std::to_string(index) + ")\n") != std::string::npos,
          "whole system partition index");
    check(entry.find("/dev/sda" + std::to_string(iso) + "  ") != std::string::npos,
          "whole ISO partition number");

    const std::string result = hd::insertMenuEntry(menu, entry);
    check(onlyCrLfLineEnds(result), "CR LF line ends");

    const auto before = linesOf(menu);
    const auto after = linesOf(result);
    const auto entryLines = linesOf(entry);
    size_t at = 0;
    while (at < before.size() && !hd::isFirstTitleCandidate(before[at])) ++at;
    if (at == before.size()) {
        check(after == before, "menu without a title line unchanged");
        return;
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
}

}  // namespace kh::fuzz
