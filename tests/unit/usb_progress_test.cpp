// The copy status while 7-Zip extracts: 7-Zip's own percentage or else the
// share of the live image, the creep in the last stretch and the text once the
// copy is complete.
#include <gtest/gtest.h>

#include "tests/unit/usb_rig.h"
#include "usbmedia/progress.h"

namespace kh {
namespace {

using test::UsbRig;

constexpr const char* kImage = "G:\\LiveOS\\squashfs.img";
constexpr const char* kConfiguring = usb::msg::kConfiguring;

// Runs the No route with the image at `sizes[i]` before the i-th copy tick
// (absent once the sizes run out) and returns the status text after each tick.
std::vector<std::string> copyTexts(UsbRig& rig, const std::vector<uint64_t>& sizes) {
    rig.children["7z.exe x"] = {false, 5000 * sizes.size() + 1000, 0, "",
                                [](sim::SimSystem& s) { UsbRig::writeIsoTree(s); }};
    std::vector<std::string> texts;
    size_t tick = 0;
    rig.loop.beforeTick = [&](int id) {
        if (id == 2 && tick < sizes.size()) rig.sparseFile(kImage, sizes[tick++]);
    };
    rig.ui.answerNextBox(win::kIdNo);
    rig.pressOk();
    while (rig.loop.step()) texts.push_back(rig.ui.control(ControlId::kStatusCopy).text);
    return texts;
}

TEST(UsbProgress, WorkedExampleCreepsToTheConfiguringText) {
    UsbRig rig;  // 700,000,000-byte ISO
    const auto texts =
        copyTexts(rig, {350000000, 672000000, 672000000, 672000000, 672000000, 700000000});
    EXPECT_EQ(texts, (std::vector<std::string>{"复制文件，已完成:50%", "复制文件，已完成:97%",
                                               "复制文件，已完成:98%", "复制文件，已完成:99%",
                                               kConfiguring, kConfiguring}));
    EXPECT_EQ(rig.lastBox().text, test::kSuccess);
}

TEST(UsbProgress, PercentagesUseSixtyFourBitBytes) {
    EXPECT_EQ(usb::rawPercent(4400000000, 4500000000), 97u);
    EXPECT_EQ(usb::rawPercent(250000, 500000), 50u);  // an ISO under 1 MB
    EXPECT_EQ(usb::rawPercent(10, 0), 0u);
    int creep = 1;
    EXPECT_EQ(usb::progressText(94, creep), "复制文件，已完成:94%");
    EXPECT_EQ(creep, 1);
    EXPECT_EQ(usb::progressText(95, creep), "复制文件，已完成:96%");
    EXPECT_EQ(usb::progressText(101, creep), kConfiguring);
    EXPECT_EQ(creep, 2);
}

// 7-Zip gives a file its full size when it creates it; its report, not the
// size, tells how far the copy is.
TEST(UsbProgress, SevenZipsReportWinsOverThePreallocatedImage) {
    UsbRig rig;
    const std::vector<std::string> reports = {"  3% 1 - LiveOS\\squashfs.img\r",
                                              " 41% 1 - LiveOS\\squashfs.img\r"};
    rig.children["7z.exe x"] = {false, 5000 * reports.size() + 1000, 0, "",
                                [](sim::SimSystem& s) { UsbRig::writeIsoTree(s); }};
    size_t tick = 0;
    rig.loop.beforeTick = [&](int id) {
        if (id != 2 || tick >= reports.size()) return;
        rig.sparseFile(kImage, 700000000);
        rig.sys.writeHostFile("C:\\tools\\7z-progress.log", reports[tick++]);
    };
    rig.ui.answerNextBox(win::kIdNo);
    rig.pressOk();
    std::vector<std::string> texts;
    while (rig.loop.step()) texts.push_back(rig.ui.control(ControlId::kStatusCopy).text);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], "复制文件，已完成:3%");
    EXPECT_EQ(texts[1], "复制文件，已完成:41%");
    EXPECT_FALSE(rig.sys.readHostFile("C:\\tools\\7z-progress.log").has_value());
}

TEST(UsbProgress, ASmallIsoShowsItsPercentage) {
    UsbRig rig("KINGSTON", 500000);
    const auto texts = copyTexts(rig, {250000});
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], "复制文件，已完成:50%");
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
    std::vector<std::string> texts;
    while (rig.loop.step()) {
        if (lastTimer == 2) texts.push_back(rig.ui.control(ControlId::kStatusCopy).text);
    }
    EXPECT_EQ(texts, std::vector<std::string>(2, usb::msg::kPreparing));
    EXPECT_EQ(rig.lastBox().text, test::kSuccess);
}

}  // namespace
}  // namespace kh
