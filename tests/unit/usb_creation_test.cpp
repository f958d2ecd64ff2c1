// The USB media creation from the OK button to its end, through both answers
// of the format question, with the tools' children scripted.
#include <gtest/gtest.h>

#include "tests/unit/usb_rig.h"
#include "usbmedia/messages.h"

namespace kh {
namespace {

using test::UsbRig;
namespace m = usb::msg;

void expectBootableTree(const UsbRig& rig) {
    EXPECT_FALSE(rig.sys.readHostFile("G:\\isolinux\\vmlinuz0"));
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux\\vmlinuz0"), "kernel");
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux\\initrd0.img"), "initrd0");
    EXPECT_EQ(rig.sys.readHostFile("G:\\vmlinuz0"), "kernel");
    EXPECT_EQ(rig.sys.readHostFile("G:\\initrd4disk.img"), "initrd4disk");
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux\\syslinux.cfg"), "default vesamenu.c32\n");
    // The ISO's own module is replaced by the one of the installer's build.
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux\\vesamenu.c32"), "vesamenu of this build");
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux\\libcom32.c32"), "libcom32 of this build");
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux\\libutil.c32"), "libutil of this build");
}

TEST(UsbCreation, YesFormatsExtractsAndInstalls) {
    UsbRig rig;
    rig.pressOk();
    // The question was answered Yes; the format runs behind the watch timer.
    test::expectBox(rig.ui, 0, m::kFormatQuestion);
    EXPECT_EQ(rig.ui.timers().at(1), 500u);  // the format watch
    EXPECT_EQ(rig.ui.startFormatPending(), 1);
    EXPECT_TRUE(rig.ui.control(ControlId::kStatusFormat).visible);
    EXPECT_FALSE(rig.ui.control(ControlId::kOk).enabled);

    rig.loop.run();
    EXPECT_EQ(rig.sys.startedCommands(),
              (std::vector<std::string>{test::kListCommand, test::kFormatCommand,
                                        test::kExtractCommand, test::kInstallCommand}));
    ASSERT_EQ(rig.ui.boxes().size(), 3u);
    test::expectBox(rig.ui, 1, m::kFormatDone);
    test::expectBox(rig.ui, 2, m::kDone);
    expectBootableTree(rig);
    EXPECT_FALSE(rig.toolsPresent());
    EXPECT_TRUE(rig.ui.quitPosted());
    EXPECT_TRUE(rig.ui.timers().empty());
    EXPECT_FALSE(rig.ui.control(ControlId::kStatusFormat).visible);
    EXPECT_FALSE(rig.ui.control(ControlId::kStatusCopy).visible);
    // The installer was waited for with the window kept painted.
    EXPECT_GT(rig.ui.paintPumps(), 0);
}

TEST(UsbCreation, ALabelBootIsChangedBeforeTheFormat) {
    UsbRig rig("BOOT");
    rig.create();
    ASSERT_GE(rig.sys.startedCommands().size(), 2u);
    EXPECT_EQ(rig.sys.startedCommands()[1], test::kFormatCommand);
    EXPECT_EQ(rig.labelAtStart[test::kFormatCommand], "BOOTS");
    test::expectLastBox(rig.ui, m::kDone);
}

TEST(UsbCreation, NoRelabelsAndExtractsAtOnce) {
    UsbRig rig;
    rig.ui.answerNextBox(win::kIdNo);
    rig.pressOk();
    EXPECT_EQ(rig.sys.startedCommands(),
              (std::vector<std::string>{test::kListCommand, test::kExtractCommand}));
    EXPECT_EQ(rig.labelAtStart[test::kExtractCommand], "BOOT");
    EXPECT_EQ(rig.ui.timers().at(2), 5000u);  // the copy timer
    EXPECT_EQ(rig.ui.timers().count(1), 0u);
    EXPECT_TRUE(rig.ui.control(ControlId::kStatusCopy).visible);

    rig.loop.run();
    EXPECT_FALSE(rig.started(test::kFormatCommand));
    test::expectLastBox(rig.ui, m::kDone);
    expectBootableTree(rig);
    EXPECT_FALSE(rig.toolsPresent());
}

// Without formatting, the syslinux folder and the kernel of an earlier run must not be what boots.
TEST(UsbCreation, AnEarlierSyslinuxFolderIsKeptAsideNotBooted) {
    UsbRig rig;
    rig.sys.writeHostFile("G:\\syslinux\\vmlinuz0", "old kernel");
    rig.sys.writeHostFile("G:\\syslinux.old\\vmlinuz0", "older kernel");
    rig.sys.writeHostFile("G:\\vmlinuz0", "old kernel in the root");
    rig.ui.answerNextBox(win::kIdNo);
    rig.create();
    test::expectLastBox(rig.ui, m::kDone);
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux\\vmlinuz0"), "kernel");
    EXPECT_EQ(rig.sys.readHostFile("G:\\vmlinuz0"), "kernel");
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux.old1\\vmlinuz0"), "old kernel");
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux.old\\vmlinuz0"), "older kernel");
}

// syslinux.cfg boots root=LABEL=BOOT: a stick that will not carry the label
// (relabelled before a format, by the format, or kept on No) cannot boot, and
// nothing is extracted onto it.
TEST(UsbCreation, AStickWithoutTheLabelBootIsAFormatError) {
    const struct {
        const char* name;
        const char* label;
        int answer;
        void (*arrange)(UsbRig&);
        bool formatStarted;
        bool watched;  // the format watch kept looking while the format ran
    } cases[] = {
        {"BOOT cannot be changed", "BOOT", win::kIdYes,
         [](UsbRig& rig) { rig.sys.volume('G').writeProtected = true; }, false, false},
        {"format ends without the label", "KINGSTON", win::kIdYes,
         [](UsbRig& rig) {
             rig.children["cmd /c"] = {false, 3000, 1, "", nullptr};
         },
         true, true},
        {"format cannot start", "KINGSTON", win::kIdYes,
         [](UsbRig& rig) { rig.children["cmd /c"].startFails = true; }, true, false},
        {"No on a write-protected stick", "KINGSTON", win::kIdNo,
         [](UsbRig& rig) { rig.sys.volume('G').writeProtected = true; }, false, false},
        {"No, the label cannot be set", "KINGSTON", win::kIdNo,
         [](UsbRig& rig) { rig.sys.failNext(sim::Op::kSetVolumeLabel); }, false, false},
        {"No, the label cannot be read", "KINGSTON", win::kIdNo,
         [](UsbRig& rig) { rig.sys.failNext(sim::Op::kVolumeLabel); }, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig(c.label);
        c.arrange(rig);
        rig.ui.answerNextBox(c.answer);
        rig.create();
        test::expectLastBox(rig.ui, m::kFormatFailed);
        EXPECT_EQ(rig.started(test::kFormatCommand), c.formatStarted);
        if (c.watched) {
            EXPECT_GE(rig.loop.ticks(1), 6);
        } else {
            EXPECT_EQ(rig.loop.ticks(1), 0);
        }
        EXPECT_FALSE(rig.started("7z.exe x"));
        EXPECT_FALSE(rig.boxShown(m::kDone.text));
        EXPECT_FALSE(rig.toolsPresent());
        EXPECT_TRUE(rig.ui.timers().empty());
        EXPECT_FALSE(rig.ui.control(ControlId::kStatusFormat).visible);
        EXPECT_TRUE(rig.ui.quitPosted());
    }
}

// The stick pulled or failing while 7-Zip extracts, a tool failing, or the
// files of the finish not written: each ends in an error, never in success,
// and the tools and the log are removed.
TEST(UsbCreation, ALateFailureIsNoSuccess) {
    const struct {
        const char* name;
        int answer;
        void (*arrange)(UsbRig&);
        Message message;
        std::string text;  // in place of the message's own
        bool installerStarted;
    } cases[] = {
        {"7-Zip fails", win::kIdNo, [](UsbRig& rig) { rig.children["7z.exe x"].exitCode = 2; },
         m::kCopyFailed, "", false},
        {"isolinux cannot be renamed", win::kIdNo,
         [](UsbRig& rig) { rig.sys.failPath(sim::Op::kMoveFile, "G:\\isolinux"); }, m::kCopyFailed,
         "", false},
        {"kernel copy fails", win::kIdNo,
         [](UsbRig& rig) { rig.sys.failPath(sim::Op::kCopyFile, "G:\\vmlinuz0"); }, m::kCopyFailed,
         "", false},
        {"pulled during the extraction", win::kIdNo,
         [](UsbRig& rig) {
             rig.loop.beforeTick = [&rig](int) {
                 rig.sys.failDriveFrom(rig.sys.calls().size() + 1, 'G');
             };
         },
         m::kCopyFailed, "", false},
        {"configuration not written", win::kIdYes,
         [](UsbRig& rig) { rig.sys.failPath(sim::Op::kCreateFile, "G:\\syslinux\\syslinux.cfg"); },
         m::error(""), "资源文件syslinux.cfg创建失败", false},
        {"module resource missing", win::kIdYes,
         [](UsbRig& rig) { rig.sys.setResource(161, "", Resource::Status::kNotFound); },
         m::error(""), "找不到资源文件libcom32.c32", false},
        {"installer fails", win::kIdNo,
         [](UsbRig& rig) { rig.children["syslinux.exe"].exitCode = 1; }, m::kInstallerFailed, "",
         true},
        {"installer hangs", win::kIdYes,
         [](UsbRig& rig) { rig.children["syslinux.exe"].runsForMs = 24 * 3600 * 1000; },
         m::kInstallerFailed, "", true},
        {"installer cannot start", win::kIdYes,
         [](UsbRig& rig) { rig.children["syslinux.exe"].startFails = true; }, m::kInstallerFailed,
         "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig;
        c.arrange(rig);
        rig.ui.answerNextBox(c.answer);
        rig.create();
        test::expectLastBox(rig.ui, c.message, c.text);
        EXPECT_EQ(rig.started(test::kInstallCommand), c.installerStarted);
        EXPECT_FALSE(rig.boxShown(m::kDone.text));
        if (std::string(c.message.text) == m::kCopyFailed.text) {
            EXPECT_FALSE(rig.ui.control(ControlId::kStatusCopy).visible);
        }
        EXPECT_FALSE(rig.toolsPresent());
        EXPECT_TRUE(rig.ui.quitPosted());
    }
}

// An empty module resource is given up without a word, as any empty payload
// is; the window is ready for another try, not ended.
TEST(UsbCreation, AnEmptyModuleResourceReturnsTheWindowToIdle) {
    UsbRig rig;
    rig.sys.setResource(161, "", Resource::Status::kOk);
    rig.ui.answerNextBox(win::kIdYes);
    rig.create();
    EXPECT_FALSE(rig.boxShown(m::kDone.text));
    EXPECT_FALSE(rig.started(test::kInstallCommand));
    EXPECT_FALSE(rig.ui.quitPosted());
    EXPECT_TRUE(rig.ui.control(ControlId::kOk).enabled);
}

TEST(UsbCreation, AnExtractionThatCannotStartEndsWithoutTimer) {
    UsbRig rig;
    rig.children["7z.exe x"].startFails = true;
    rig.ui.answerNextBox(win::kIdNo);
    rig.create();
    test::expectLastBox(rig.ui, m::kProcessFailed);
    EXPECT_TRUE(rig.ui.timers().empty());
    EXPECT_TRUE(rig.ui.quitPosted());
}

// 7-Zip's exit code 1 is a warning: the creation finishes (2 is an error, above).
TEST(UsbCreation, SevenZipWarningsFinish) {
    UsbRig rig;
    rig.children["7z.exe x"].exitCode = 1;
    rig.ui.answerNextBox(win::kIdNo);
    rig.create();
    test::expectLastBox(rig.ui, m::kDone);
}

// Radio commands and device changes during the run leave the confirmed drive
// alone: every tool is started on G: and every file lands there.
TEST(UsbCreation, TheConfirmedDriveStaysTheTarget) {
    UsbRig rig;
    rig.addRemovable('E', "OTHER");
    rig.loop.beforeTick = [&rig](int) {
        rig.command(ControlId::kModeHarddisk);
        rig.command(ControlId::kModeUsb);
        app::onDeviceChange(rig.state, win::kDbtDeviceArrival);
        rig.ui.selectDriveIndex(0);  // E:
    };
    rig.pressOk();
    for (ControlId id : {ControlId::kModeUsb, ControlId::kModeHarddisk, ControlId::kDriveList,
                         ControlId::kBrowse, ControlId::kIsoPath}) {
        EXPECT_FALSE(rig.ui.control(id).enabled) << static_cast<int>(id);
    }
    rig.loop.run();
    test::expectLastBox(rig.ui, m::kDone);
    EXPECT_EQ(rig.sys.startedCommands(),
              (std::vector<std::string>{test::kListCommand, test::kFormatCommand,
                                        test::kExtractCommand, test::kInstallCommand}));
    EXPECT_TRUE(rig.ui.control(ControlId::kModeUsb).checked);
    EXPECT_FALSE(rig.ui.control(ControlId::kModeHarddisk).checked);
    EXPECT_EQ(rig.state.usb.session.target, 'G');
    expectBootableTree(rig);
    EXPECT_TRUE(std::filesystem::is_empty(rig.sys.hostPath("E:\\")));
}

TEST(UsbCreation, ExitStopsSevenZipAndDeletesTheToolsCloseOnlyStops) {
    for (bool exit : {true, false}) {
        UsbRig rig;
        rig.children["7z.exe x"].runsForMs = 600000;
        rig.ui.answerNextBox(win::kIdNo);
        rig.pressOk();
        rig.loop.step();
        const ProcessHandle sevenZip = rig.state.shared.extractionChild;
        ASSERT_TRUE(rig.sys.processRunning(sevenZip));
        if (exit) {
            rig.command(ControlId::kExit);
        } else {
            app::onClose(rig.state);
        }
        EXPECT_FALSE(rig.sys.processRunning(sevenZip));
        EXPECT_EQ(rig.toolsPresent(), !exit);
        EXPECT_TRUE(rig.ui.quitPosted());
        EXPECT_FALSE(rig.boxShown(m::kDone.text));
    }
}

TEST(UsbCreation, ExitWhileFormattingDeletesTheToolsInOrderCloseKeepsThem) {
    for (const bool exit : {true, false}) {
        UsbRig rig;
        rig.children["cmd /c"].runsForMs = 600000;
        rig.pressOk();
        rig.loop.step();
        rig.loop.step();
        if (exit) {
            rig.command(ControlId::kExit);
        } else {
            app::onClose(rig.state);
        }
        EXPECT_EQ(rig.toolsPresent(), !exit);
        EXPECT_TRUE(rig.ui.quitPosted());
        EXPECT_FALSE(rig.loop.step());
        EXPECT_FALSE(rig.started("7z.exe x"));
        EXPECT_EQ(
            rig.state.shared.toolPaths,
            (std::vector<std::string>{test::kSevenZip, test::kSevenZipDll, test::kInstaller}));
    }
}

}  // namespace
}  // namespace kh
