// Adding the boot entry to arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "hdinstall/bootini_rules.h"
#include "tests/fuzz/fuzz_checks.h"

using kh::fuzz::check;
using kh::fuzz::linesOf;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view original(reinterpret_cast<const char*>(data), size);
    bool found = false;
    const std::string added = kh::hd::addEntryToBootIni(original, &found);

    bool markerOutsideTimeout = false;
    for (const auto& line : kh::hd::splitTextLines(original)) {
        markerOutsideTimeout |= line.text.find(kh::hd::kEntryMarker) != std::string_view::npos &&
                                !kh::hd::isTimeoutLine(line.text);
    }
    check(found == markerOutsideTimeout, "marker reported exactly when present");
    check(added.find(kh::hd::kEntryMarker) != std::string::npos, "entry present afterwards");
    check(kh::fuzz::onlyCrLfLineEnds(added), "CR LF line ends");

    const auto before = linesOf(original);
    const auto after = linesOf(added);
    check(after.size() == before.size() + (found ? 0 : 1), "one line added, or none");
    for (size_t i = 0; i < before.size(); ++i) {
        const bool timeout = kh::hd::isTimeoutLine(before[i]);
        check(after[i] == (timeout ? "timeout=15" : before[i]), "only timeout lines change");
    }
    if (!found) {
        check(after.back() == kh::hd::bootEntryLine(), "entry is the last line");
        check(added.size() >= 2 && added.compare(added.size() - 2, 2, "\r\n") == 0,
              "entry ends with CR LF");
    }

    bool foundAgain = false;
    check(kh::hd::addEntryToBootIni(added, &foundAgain) == added && foundAgain, "idempotent");

    if (!found) {
        const std::string removed = kh::hd::removeEntryFromBootIni(added);
        std::string expected;
        for (const auto& line : before) {
            kh::hd::appendTextLine(expected, kh::hd::isTimeoutLine(line) ? "timeout=15" : line,
                                   true);
        }
        check(removed == expected, "removal undoes the addition");
    }
    return 0;
}
