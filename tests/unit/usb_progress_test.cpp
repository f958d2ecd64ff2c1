// The copy status while 7-Zip extracts: 7-Zip's own percentage or else the
// share of the live image, the creep in the last stretch and the text once the
// copy is complete.
#include <gtest/gtest.h>

#include "tests/unit/usb_rig.h"
#include "usbmedia/progress.h"

namespace kh {
namespace {

using test::UsbRig;
using Strings = std::vector<std::string>;

constexpr const char* kConfiguring = usb::msg::kConfiguring;
constexpr const char* kPreparing = usb::msg::kPreparing;

std::string percent(int n) { return "复制文件，已完成:" + std::to_string(n) + "%"; }

// 7-Zip gives a file its full size when it creates it; its report, not the
// size, tells how far the copy is. Before the i-th copy tick the live image
// has `sizes[i]` bytes and 7-Zip's log holds `reports[i]`; 7-Zip ends after
// as many ticks as there are texts.
TEST(UsbProgress, TheStatusFollowsTheReportOrTheImage) {
    const struct {
        const char* name;
        int answer;
        uint64_t isoBytes;
        std::vector<uint64_t> sizes;
        Strings reports;
        Strings texts;  // after each copy tick
    } cases[] = {
        {"the image grows and creeps to the configuring text",
         win::kIdNo,
         700000000,
         {350000000, 665000000, 665000000, 665000000, 665000000, 700000000},
         {},
         {percent(50), percent(96), percent(97), percent(98), percent(99), kConfiguring}},
        {"an ISO under 1 MB", win::kIdNo, 500000, {250000}, {}, {percent(50)}},
        {"7-Zip's report wins over the preallocated image",
         win::kIdNo,
         700000000,
         {700000000, 700000000},
         {"  3% 1 - LiveOS\\squashfs.img\r", " 41% 1 - LiveOS\\squashfs.img\r"},
         {percent(3), percent(41)}},
        {"no image yet: the text after the format stays",
         win::kIdYes,
         700000000,
         {},
         {},
         {kPreparing, kPreparing}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig("KINGSTON", c.isoBytes);
        rig.children["7z.exe x"].runsForMs = 5000 * c.texts.size() + 1000;
        int lastTimer = 0;
        size_t tick = 0;
        rig.loop.beforeTick = [&](int id) {
            lastTimer = id;
            if (id != 2) return;
            if (tick < c.sizes.size()) rig.sparseFile("G:\\LiveOS\\squashfs.img", c.sizes[tick]);
            if (tick < c.reports.size()) {
                rig.sys.writeHostFile("C:\\tools\\7z-progress.log", c.reports[tick]);
            }
            ++tick;
        };
        rig.ui.answerNextBox(c.answer);
        rig.pressOk();
        Strings texts;
        while (rig.loop.step()) {
            if (lastTimer == 2) texts.push_back(rig.ui.control(ControlId::kStatusCopy).text);
        }
        ASSERT_GE(texts.size(), c.texts.size());
        EXPECT_EQ(Strings(texts.begin(), texts.begin() + c.texts.size()), c.texts);
        test::expectLastBox(rig.ui, usb::msg::kDone);
        EXPECT_FALSE(rig.toolsPresent());
    }
}

TEST(UsbProgress, PercentagesUseSixtyFourBitBytes) {
    EXPECT_EQ(usb::rawPercent(4400000000, 4500000000), 97u);
    EXPECT_EQ(usb::rawPercent(10, 0), 0u);
}

}  // namespace
}  // namespace kh
