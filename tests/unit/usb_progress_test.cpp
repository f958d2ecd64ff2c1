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

std::string percent(int n) { return "复制文件，已完成:" + std::to_string(n) + "%"; }

// 7-Zip gives a file its full size when it creates it; its report, not the
// size, tells how far the copy is. Before the i-th copy tick the live image
// has `sizes[i]` bytes and 7-Zip's log holds `reports[i]`.
TEST(UsbProgress, TheStatusFollowsTheReportOrTheImage) {
    const struct {
        const char* name;
        uint64_t isoBytes;
        std::vector<uint64_t> sizes;
        Strings reports;
        Strings texts;  // after each tick, from the first on
    } cases[] = {
        {"the image grows and creeps to the configuring text",
         700000000,
         {350000000, 672000000, 672000000, 672000000, 672000000, 700000000},
         {},
         {percent(50), percent(97), percent(98), percent(99), kConfiguring, kConfiguring}},
        {"an ISO under 1 MB", 500000, {250000}, {}, {percent(50)}},
        {"7-Zip's report wins over the preallocated image",
         700000000,
         {700000000, 700000000},
         {"  3% 1 - LiveOS\\squashfs.img\r", " 41% 1 - LiveOS\\squashfs.img\r"},
         {percent(3), percent(41)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig("KINGSTON", c.isoBytes);
        rig.children["7z.exe x"].runsForMs = 5000 * c.sizes.size() + 1000;
        size_t tick = 0;
        rig.loop.beforeTick = [&](int id) {
            if (id != 2 || tick >= c.sizes.size()) return;
            rig.sparseFile("G:\\LiveOS\\squashfs.img", c.sizes[tick]);
            if (tick < c.reports.size()) {
                rig.sys.writeHostFile("C:\\tools\\7z-progress.log", c.reports[tick]);
            }
            ++tick;
        };
        rig.ui.answerNextBox(win::kIdNo);
        rig.pressOk();
        Strings texts;
        while (rig.loop.step()) texts.push_back(rig.ui.control(ControlId::kStatusCopy).text);
        ASSERT_GE(texts.size(), c.texts.size());
        EXPECT_EQ(Strings(texts.begin(), texts.begin() + c.texts.size()), c.texts);
        test::expectLastBox(rig.ui, usb::msg::kDone);
        EXPECT_FALSE(rig.toolsPresent());
    }
}

TEST(UsbProgress, PercentagesUseSixtyFourBitBytes) {
    EXPECT_EQ(usb::rawPercent(4400000000, 4500000000), 97u);
    EXPECT_EQ(usb::rawPercent(10, 0), 0u);
    int creep = 1;
    EXPECT_EQ(usb::progressText(94, creep), percent(94));
    EXPECT_EQ(creep, 1);
    EXPECT_EQ(usb::progressText(95, creep), percent(96));
    EXPECT_EQ(usb::progressText(101, creep), kConfiguring);
    EXPECT_EQ(creep, 2);
}

TEST(UsbProgress, AnImageThatNeverAppearsLeavesTheTextAlone) {
    UsbRig rig;
    rig.children["7z.exe x"].onExit = [](sim::SimSystem& s) {
        s.writeHostFile("G:\\isolinux\\vmlinuz0", "kernel");
        s.writeHostFile("G:\\isolinux\\initrd4disk.img", "initrd4disk");
    };
    int lastTimer = 0;
    rig.loop.beforeTick = [&lastTimer](int id) { lastTimer = id; };
    rig.pressOk();  // Yes: the status reads the preparing text
    Strings texts;
    while (rig.loop.step()) {
        if (lastTimer == 2) texts.push_back(rig.ui.control(ControlId::kStatusCopy).text);
    }
    EXPECT_EQ(texts, Strings(2, usb::msg::kPreparing));
    test::expectLastBox(rig.ui, usb::msg::kDone);
}

}  // namespace
}  // namespace kh
