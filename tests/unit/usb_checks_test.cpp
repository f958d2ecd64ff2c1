// What is refused before the format question, with the exact message, and the
// window left ready for another attempt.
#include "usbmedia/usb_checks.h"

#include <gtest/gtest.h>

#include "platform/gbk_path.h"
#include "tests/unit/usb_rig.h"

namespace kh {
namespace {

using test::UsbRig;

void expectRefused(UsbRig& rig, const std::string& text, const std::string& caption,
                   unsigned flags) {
    ASSERT_EQ(rig.ui.boxes().size(), 1u) << rig.messages();
    EXPECT_EQ(rig.lastBox().text, text);
    EXPECT_EQ(rig.lastBox().caption, caption);
    EXPECT_EQ(rig.lastBox().flags, flags);
    EXPECT_EQ(rig.lastBox().owner, BoxOwner::kMainWindow);
    EXPECT_FALSE(rig.started("7z.exe x"));
    EXPECT_FALSE(rig.started("LABEL"));
    EXPECT_FALSE(rig.started("cmd"));
    EXPECT_FALSE(rig.ui.quitPosted());
    EXPECT_EQ(rig.state.usb.session.stage, usb::UsbStage::kIdle);
    // Ready again: OK goes to the USB creation once more.
    for (ControlId id : {ControlId::kOk, ControlId::kDriveList, ControlId::kModeUsb,
                         ControlId::kModeHarddisk, ControlId::kBrowse, ControlId::kIsoPath}) {
        EXPECT_TRUE(rig.ui.control(id).enabled) << static_cast<int>(id);
    }
}

bool askedToFormat(const UsbRig& rig) {
    return rig.boxShown("是否格式化？格式化前请备份自己重要数据。");
}

TEST(UsbChecks, AMissingIsoIsRefused) {
    UsbRig rig;
    rig.ui.typeIsoPath("C:\\isos\\gone.iso");
    rig.pressOk();
    expectRefused(rig, "ISO文件不存在", "警告", win::kMbIconWarning);
    EXPECT_TRUE(rig.sys.startedCommands().empty());
}

TEST(UsbChecks, NoDriveIsRefused) {
    UsbRig rig;
    rig.ui.clearDriveList();
    rig.pressOk();
    expectRefused(rig, "请先插入U盘!", "警告", win::kMbIconWarning);
}

// Formatting would erase the ISO or the running program, whichever way the
// stick is reached: refused before the format question, nothing written.
TEST(UsbChecks, TheStickHoldingTheIsoOrTheProgramIsRefused) {
    const struct {
        const char* name;
        std::string iso;
        std::string program;
        void (*arrange)(UsbRig&);
        const char* text;
    } cases[] = {
        {"ISO on the stick", "G:\\live.iso", "", [](UsbRig&) {},
         "ISO文件在所选U盘上，请先把它复制到其他磁盘"},
        {"ISO through a subst letter", "S:\\live.iso", "",
         [](UsbRig& rig) {
             rig.sys.mapDrive('S');
             rig.sys.substDrive('S', "G:\\");
         },
         "ISO文件在所选U盘上，请先把它复制到其他磁盘"},
        {"ISO through a mounted folder", "C:\\mnt\\stick\\live.iso", "",
         [](UsbRig& rig) { rig.sys.mountFolder("C:\\mnt\\stick", 'G'); },
         "ISO文件在所选U盘上，请先把它复制到其他磁盘"},
        {"ISO on the stick, its volume not named by the system", "G:\\live.iso", "",
         [](UsbRig& rig) { rig.sys.failPath(sim::Op::kVolumeIdentity, "G:\\live.iso"); },
         "ISO文件在所选U盘上，请先把它复制到其他磁盘"},
        {"program on the stick", test::kIso, "G:\\KorvaneHelper.exe", [](UsbRig&) {},
         "本程序在所选U盘上，请从其他磁盘运行本程序"},
        {"program through a subst letter", test::kIso, "T:\\app\\KorvaneHelper.exe",
         [](UsbRig& rig) {
             rig.sys.mapDrive('T');
             rig.sys.substDrive('T', "G:\\");
         },
         "本程序在所选U盘上，请从其他磁盘运行本程序"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig;
        c.arrange(rig);
        rig.sparseFile(c.iso, 1000000);
        rig.ui.typeIsoPath(c.iso);
        if (!c.program.empty()) rig.sys.setModulePath(c.program);
        rig.pressOk();
        expectRefused(rig, c.text, "警告", win::kMbIconWarning);
        EXPECT_TRUE(rig.sys.startedCommands().empty());
        EXPECT_FALSE(rig.sys.readHostFile(directoryOf(rig.sys.modulePath()) + "\\7z.exe"));
        EXPECT_EQ(rig.sys.readHostFile(c.iso)->size(), 1000000u);
    }
}

TEST(UsbChecks, ADriveWithoutFreeSpaceInformationIsNotFound) {
    UsbRig failing;
    failing.sys.failOn(sim::Op::kDiskFreeSpace);
    failing.pressOk();
    expectRefused(failing, "找不到所选磁盘驱动器", "警告", win::kMbOkCancel);

    UsbRig empty;
    empty.sys.volume('G').freeSpace = DiskFreeSpace{8, 512, 0};
    empty.pressOk();
    expectRefused(empty, "找不到所选磁盘驱动器", "警告", win::kMbOkCancel);
}

TEST(UsbChecks, FreeSpaceIsComparedInWholeMegabytes) {
    UsbRig equal;  // 700,000,000-byte ISO
    equal.sys.volume('G').freeSpace = DiskFreeSpace{1, 1000, 700000};
    equal.pressOk();
    EXPECT_TRUE(askedToFormat(equal)) << equal.messages();

    UsbRig short1;
    short1.sys.volume('G').freeSpace = DiskFreeSpace{1, 1, 699999999};
    short1.pressOk();
    expectRefused(short1, "设备空间不够，至少需要700M", "警告", win::kMbIconWarning);
}

TEST(UsbChecks, FreeSpaceBeyondFourGibibytesIsNotTruncated) {
    // 64 x 512 x 200,000 = 6,553,600,000 bytes; in 32 bits it would be 2,258 MB.
    UsbRig rig("KINGSTON", 5000000000);
    rig.sys.volume('G').freeSpace = DiskFreeSpace{64, 512, 200000};
    rig.pressOk();
    EXPECT_TRUE(askedToFormat(rig)) << rig.messages();

    UsbRig tight("KINGSTON", 7000000000);
    tight.sys.volume('G').freeSpace = DiskFreeSpace{64, 512, 200000};
    tight.pressOk();
    expectRefused(tight, "设备空间不够，至少需要7000M", "警告", win::kMbIconWarning);
}

TEST(UsbChecks, AFileOfFourGibibytesIsRefusedBeforeAnythingIsWritten) {
    UsbRig largest;
    largest.children["7z.exe l"].output = test::listing({4096, 4294967295, 12});
    largest.pressOk();
    EXPECT_TRUE(askedToFormat(largest));

    UsbRig tooLarge;
    tooLarge.children["7z.exe l"].output = test::listing({4096, 4294967296, 12});
    tooLarge.pressOk();
    expectRefused(tooLarge, "ISO中有大于4GB的文件，FAT32格式的U盘无法存放", "警告",
                  win::kMbIconWarning);
    EXPECT_EQ(tooLarge.sys.startedCommands(), std::vector<std::string>{test::kListCommand});
}

TEST(UsbChecks, AnIsoSevenZipCannotListIsAnError) {
    for (auto broken :
         {sim::SimProcess{false, 100, 2, "", nullptr}, sim::SimProcess{true, 0, 0, "", nullptr},
          sim::SimProcess{false, 600000, 0, "", nullptr}}) {
        UsbRig rig;
        rig.children["7z.exe l"] = broken;
        rig.pressOk();
        expectRefused(rig, "无法读取ISO文件，请检查ISO文件是否完整", "错误", win::kMbIconError);
    }
    // A warning (data after the image) still gives a complete listing.
    UsbRig warning;
    warning.children["7z.exe l"].exitCode = 1;
    warning.pressOk();
    EXPECT_TRUE(askedToFormat(warning));
}

TEST(UsbChecks, ARefusedAttemptCanBeRepeated) {
    UsbRig rig;
    rig.sys.volume('G').freeSpace = DiskFreeSpace{1, 1, 1000};
    rig.pressOk();
    rig.sys.volume('G').freeSpace = DiskFreeSpace{8, 512, 1000000};
    rig.ui.answerNextBox(win::kIdNo);
    rig.create();
    EXPECT_EQ(rig.lastBox().text, test::kSuccess);
}

}  // namespace
}  // namespace kh
