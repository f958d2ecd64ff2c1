// What is refused before the format question, with the exact message, and the
// window left ready for another attempt.
#include "usbmedia/usb_checks.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/gbk_path.h"
#include "tests/unit/usb_rig.h"
#include "usbmedia/messages.h"

namespace kh {
namespace {

using test::UsbRig;
namespace m = usb::msg;

void expectRefused(UsbRig& rig, const Message& message, const std::string& text = {}) {
    ASSERT_EQ(rig.ui.boxes().size(), 1u) << rig.messages();
    test::expectBox(rig.ui, 0, message, text);
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

bool askedToFormat(const UsbRig& rig) { return rig.boxShown(m::kFormatQuestion.text); }

std::string notEnoughSpace(int megabytes) {
    char text[128];
    std::snprintf(text, sizeof text, m::kNotEnoughSpace.text, megabytes);
    return text;
}

TEST(UsbChecks, AMissingIsoIsRefused) {
    UsbRig rig;
    rig.ui.typeIsoPath("C:\\isos\\gone.iso");
    rig.pressOk();
    expectRefused(rig, m::kIsoMissing);
    EXPECT_TRUE(rig.sys.startedCommands().empty());
}

TEST(UsbChecks, NoDriveIsRefused) {
    UsbRig rig;
    rig.ui.clearDriveList();
    rig.pressOk();
    expectRefused(rig, m::kInsertUsbFirst);
}

// Formatting would erase the ISO or the running program, whichever way the
// stick is reached: refused before the format question, nothing written.
TEST(UsbChecks, TheStickHoldingTheIsoOrTheProgramIsRefused) {
    const struct {
        const char* name;
        std::string iso;
        std::string program;
        void (*arrange)(UsbRig&);
        Message message;
    } cases[] = {
        {"ISO on the stick", "G:\\live.iso", "", [](UsbRig&) {}, m::kIsoOnTarget},
        {"ISO through a subst letter", "S:\\live.iso", "",
         [](UsbRig& rig) {
             rig.sys.mapDrive('S');
             rig.sys.substDrive('S', "G:\\");
         },
         m::kIsoOnTarget},
        {"ISO through a mounted folder", "C:\\mnt\\stick\\live.iso", "",
         [](UsbRig& rig) { rig.sys.mountFolder("C:\\mnt\\stick", 'G'); }, m::kIsoOnTarget},
        {"ISO on the stick, its volume not named by the system", "G:\\live.iso", "",
         [](UsbRig& rig) { rig.sys.failPath(sim::Op::kVolumeIdentity, "G:\\live.iso"); },
         m::kIsoOnTarget},
        {"program on the stick", test::kIso, "G:\\KorvaneHelper.exe", [](UsbRig&) {},
         m::kProgramOnTarget},
        {"program through a subst letter", test::kIso, "T:\\app\\KorvaneHelper.exe",
         [](UsbRig& rig) {
             rig.sys.mapDrive('T');
             rig.sys.substDrive('T', "G:\\");
         },
         m::kProgramOnTarget},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig;
        c.arrange(rig);
        rig.sparseFile(c.iso, 1000000);
        rig.ui.typeIsoPath(c.iso);
        if (!c.program.empty()) rig.sys.setModulePath(c.program);
        rig.pressOk();
        expectRefused(rig, c.message);
        EXPECT_TRUE(rig.sys.startedCommands().empty());
        EXPECT_FALSE(rig.sys.readHostFile(directoryOf(rig.sys.modulePath()) + "\\7z.exe"));
        EXPECT_EQ(rig.sys.readHostFile(c.iso)->size(), 1000000u);
    }
}

TEST(UsbChecks, ADriveWithoutFreeSpaceInformationIsNotFound) {
    for (const bool fails : {true, false}) {
        UsbRig rig;
        if (fails) rig.sys.failOn(sim::Op::kDiskFreeSpace);
        if (!fails) rig.sys.volume('G').freeSpace = DiskFreeSpace{8, 512, 0};
        rig.pressOk();
        expectRefused(rig, m::kDriveNotFound);
    }
}

TEST(UsbChecks, FreeSpaceIsComparedInWholeMegabytes) {
    UsbRig equal;  // 700,000,000-byte ISO
    equal.sys.volume('G').freeSpace = DiskFreeSpace{1, 1000, 700000};
    equal.pressOk();
    EXPECT_TRUE(askedToFormat(equal)) << equal.messages();

    UsbRig short1;
    short1.sys.volume('G').freeSpace = DiskFreeSpace{1, 1, 699999999};
    short1.pressOk();
    expectRefused(short1, m::kNotEnoughSpace, notEnoughSpace(700));
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
    expectRefused(tight, m::kNotEnoughSpace, notEnoughSpace(7000));
}

TEST(UsbChecks, AFileOfFourGibibytesIsRefusedBeforeAnythingIsWritten) {
    UsbRig largest;
    largest.children["7z.exe l"].output = test::listing({4096, 4294967295, 12});
    largest.pressOk();
    EXPECT_TRUE(askedToFormat(largest));

    UsbRig tooLarge;
    tooLarge.children["7z.exe l"].output = test::listing({4096, 4294967296, 12});
    tooLarge.pressOk();
    expectRefused(tooLarge, m::kFileTooLargeForFat32);
    EXPECT_EQ(tooLarge.sys.startedCommands(), std::vector<std::string>{test::kListCommand});
}

TEST(UsbChecks, AnIsoSevenZipCannotListIsAnError) {
    for (auto broken :
         {sim::SimProcess{false, 100, 2, "", nullptr}, sim::SimProcess{true, 0, 0, "", nullptr},
          sim::SimProcess{false, 600000, 0, "", nullptr}}) {
        UsbRig rig;
        rig.children["7z.exe l"] = broken;
        rig.pressOk();
        expectRefused(rig, m::kIsoUnreadable);
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
    test::expectLastBox(rig.ui, m::kDone);
}

}  // namespace
}  // namespace kh
