// Removing the boot entry from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "hdinstall/bootini_rules.h"
#include "tests/fuzz/fuzz_checks.h"

using kh::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view original(reinterpret_cast<const char*>(data), size);
    const std::string removed = kh::hd::removeEntryFromBootIni(original);

    check(removed.find(kh::hd::kEntryMarker) == std::string::npos, "no marker remains");
    check(kh::fuzz::onlyCrLfLineEnds(removed), "CR LF line ends");
    check(kh::hd::removeEntryFromBootIni(removed) == removed, "idempotent");

    // The remaining lines are the original's other lines, unchanged and in order.
    const auto before = kh::hd::splitTextLines(original);
    const auto after = kh::hd::splitTextLines(removed);
    size_t next = 0;
    for (const auto& line : before) {
        if (line.text.find(kh::hd::kEntryMarker) != std::string_view::npos) continue;
        check(next < after.size() && after[next].text == line.text, "other lines unchanged");
        check(after[next].ended == line.ended, "line ends kept");
        ++next;
    }
    check(next == after.size(), "no line added");
    return 0;
}
