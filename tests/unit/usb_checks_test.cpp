// What is refused before the format question, with the exact message, and the
// window left ready for another attempt; and what, at the same limits, is not.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/unit/usb_rig.h"
#include "usbmedia/messages.h"

namespace kh {
namespace {

using test::UsbRig;
namespace m = usb::msg;

void expectRefused(UsbRig& rig, const Message& message, const std::string& text) {
    ASSERT_EQ(rig.ui.boxes().size(), 1u) << rig.messages();
    test::expectBox(rig.ui, 0, message, text);
    EXPECT_FALSE(rig.toolsPresent());
    EXPECT_FALSE(rig.ui.quitPosted());
    EXPECT_EQ(rig.state.usb.session.stage, usb::UsbStage::kIdle);
    // Ready again: OK goes to the USB creation once more.
    for (ControlId id : {ControlId::kOk, ControlId::kDriveList, ControlId::kModeUsb,
                         ControlId::kModeHarddisk, ControlId::kBrowse, ControlId::kIsoPath}) {
        EXPECT_TRUE(rig.ui.control(id).enabled) << static_cast<int>(id);
    }
}

std::string notEnoughSpace(int megabytes) {
    char text[128];
    std::snprintf(text, sizeof text, m::kNotEnoughSpace.text, megabytes);
    return text;
}

void isoOn(UsbRig& rig, const std::string& path) {
    rig.sparseFile(path, 1000000);
    rig.ui.typeIsoPath(path);
}

// Free space is compared in whole megabytes, in 64 bits; a file of 4 GiB does
// not fit FAT32; formatting would erase the ISO or the running program,
// whichever way the stick is reached.
TEST(UsbChecks, WhatIsRefusedBeforeTheFormatQuestion) {
    const struct {
        const char* name;
        void (*arrange)(UsbRig&);
        const Message* refusal;  // none: the format question follows
        std::string text = {};   // in place of the refusal's own
    } cases[] = {
        {"ISO missing", [](UsbRig& rig) { rig.ui.typeIsoPath("C:\\isos\\gone.iso"); },
         &m::kIsoMissing},
        {"no drive", [](UsbRig& rig) { rig.ui.clearDriveList(); }, &m::kInsertUsbFirst},
        {"free space unknown", [](UsbRig& rig) { rig.sys.failOn(sim::Op::kDiskFreeSpace); },
         &m::kDriveNotFound},
        {"free space as large as the ISO",
         [](UsbRig& rig) {
             rig.sys.volume('G').freeSpace = {1, 1000, 700000};
         },
         nullptr},
        {"free space a byte short",
         [](UsbRig& rig) {
             rig.sys.volume('G').freeSpace = {1, 1, 699999999};
         },
         &m::kNotEnoughSpace, notEnoughSpace(700)},
        // 64 x 512 x 200,000 = 6,553,600,000 bytes; in 32 bits it would be 2,258 MB.
        {"free space beyond 4 GiB",
         [](UsbRig& rig) {
             rig.sparseFile(test::kIso, 5000000000);
             rig.sys.volume('G').freeSpace = {64, 512, 200000};
         },
         nullptr},
        {"free space beyond 4 GiB, too little",
         [](UsbRig& rig) {
             rig.sparseFile(test::kIso, 7000000000);
             rig.sys.volume('G').freeSpace = {64, 512, 200000};
         },
         &m::kNotEnoughSpace, notEnoughSpace(7000)},
        {"largest file 1 byte under 4 GiB",
         [](UsbRig& rig) {
             rig.children["7z.exe l"].output = test::listing({4096, 4294967295});
         },
         nullptr},
        {"a file of 4 GiB",
         [](UsbRig& rig) {
             rig.children["7z.exe l"].output = test::listing({4294967296, 12});
         },
         &m::kFileTooLargeForFat32},
        {"7-Zip cannot list", [](UsbRig& rig) { rig.children["7z.exe l"].exitCode = 2; },
         &m::kIsoUnreadable},
        {"7-Zip hangs", [](UsbRig& rig) { rig.children["7z.exe l"].runsForMs = 600000; },
         &m::kIsoUnreadable},
        // Data after the image: still a complete listing.
        {"7-Zip warns", [](UsbRig& rig) { rig.children["7z.exe l"].exitCode = 1; }, nullptr},
        {"ISO on the stick", [](UsbRig& rig) { isoOn(rig, "G:\\live.iso"); }, &m::kIsoOnTarget},
        {"ISO through a subst letter",
         [](UsbRig& rig) {
             rig.sys.mapDrive('S');
             rig.sys.substDrive('S', "G:\\");
             isoOn(rig, "S:\\live.iso");
         },
         &m::kIsoOnTarget},
        {"ISO on the stick, its volume not named by the system",
         [](UsbRig& rig) {
             rig.sys.failPath(sim::Op::kVolumeIdentity, "G:\\live.iso");
             isoOn(rig, "G:\\live.iso");
         },
         &m::kIsoOnTarget},
        {"program on the stick", [](UsbRig& rig) { rig.sys.setModulePath("G:\\KH.exe"); },
         &m::kProgramOnTarget},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig;
        c.arrange(rig);
        rig.pressOk();
        if (c.refusal) {
            expectRefused(rig, *c.refusal, c.text);
        } else {
            test::expectLastBox(rig.ui, m::kFormatQuestion);
        }
    }
}

}  // namespace
}  // namespace kh
