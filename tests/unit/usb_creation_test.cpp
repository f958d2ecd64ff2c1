// The USB media creation from the OK button to its end, through both answers
// of the format question, with the tools' children scripted.
#include <gtest/gtest.h>

#include "tests/unit/usb_rig.h"

namespace kh {
namespace {

using test::UsbRig;

std::vector<std::string> boxTexts(const UsbRig& rig) {
    std::vector<std::string> texts;
    for (const auto& b : rig.ui.boxes()) texts.push_back(b.text);
    return texts;
}

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
    EXPECT_EQ(rig.ui.boxes().at(0).text, "是否格式化？格式化前请备份自己重要数据。");
    EXPECT_EQ(rig.ui.boxes().at(0).caption, "格式化");
    EXPECT_EQ(rig.ui.boxes().at(0).flags, win::kMbYesNo | win::kMbIconQuestion);
    EXPECT_EQ(rig.ui.timers().at(1), 500u);
    EXPECT_EQ(rig.ui.startFormatPending(), 1);
    EXPECT_TRUE(rig.ui.control(ControlId::kStatusFormat).visible);
    EXPECT_FALSE(rig.ui.control(ControlId::kOk).enabled);

    rig.loop.run();
    EXPECT_EQ(rig.sys.startedCommands(),
              (std::vector<std::string>{test::kListCommand, test::kFormatCommand,
                                        test::kExtractCommand, test::kInstallCommand}));
    EXPECT_EQ(boxTexts(rig), (std::vector<std::string>{"是否格式化？格式化前请备份自己重要数据。",
                                                       "格式化完成！", test::kSuccess}));
    EXPECT_EQ(rig.ui.boxes()[1].caption, "提示");
    EXPECT_EQ(rig.ui.boxes()[1].flags, win::kMbIconInformation);
    EXPECT_EQ(rig.lastBox().caption, "提示");
    EXPECT_EQ(rig.lastBox().flags, win::kMbIconInformation);
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
    EXPECT_EQ(rig.lastBox().text, test::kSuccess);
}

TEST(UsbCreation, ALabelBootThatCannotBeChangedIsAFormatError) {
    UsbRig rig("BOOT");
    rig.sys.volume('G').writeProtected = true;
    rig.create();
    EXPECT_FALSE(rig.started(test::kFormatCommand));
    EXPECT_FALSE(rig.started("7z.exe x"));
    EXPECT_EQ(rig.lastBox().text, "格式化出错");
    EXPECT_EQ(rig.lastBox().caption, "错误");
    EXPECT_TRUE(rig.ui.quitPosted());
}

TEST(UsbCreation, NoRelabelsAndExtractsAtOnce) {
    UsbRig rig;
    rig.ui.answerNextBox(win::kIdNo);
    rig.pressOk();
    EXPECT_EQ(rig.sys.startedCommands(),
              (std::vector<std::string>{test::kListCommand, test::kExtractCommand}));
    EXPECT_EQ(rig.labelAtStart[test::kExtractCommand], "BOOT");
    EXPECT_EQ(rig.ui.timers().at(2), 5000u);
    EXPECT_EQ(rig.ui.timers().count(1), 0u);
    EXPECT_TRUE(rig.ui.control(ControlId::kStatusCopy).visible);

    rig.loop.run();
    EXPECT_FALSE(rig.started(test::kFormatCommand));
    EXPECT_EQ(rig.lastBox().text, test::kSuccess);
    expectBootableTree(rig);
    EXPECT_FALSE(rig.toolsPresent());
}

// Without formatting, the syslinux folder of an earlier run must not be what boots.
TEST(UsbCreation, AnEarlierSyslinuxFolderIsKeptAsideNotBooted) {
    UsbRig rig;
    rig.sys.writeHostFile("G:\\syslinux\\vmlinuz0", "old kernel");
    rig.sys.writeHostFile("G:\\syslinux.old\\vmlinuz0", "older kernel");
    rig.ui.answerNextBox(win::kIdNo);
    rig.create();
    EXPECT_EQ(rig.lastBox().text, test::kSuccess);
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux\\vmlinuz0"), "kernel");
    EXPECT_EQ(rig.sys.readHostFile("G:\\vmlinuz0"), "kernel");
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux.old1\\vmlinuz0"), "old kernel");
    EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux.old\\vmlinuz0"), "older kernel");
}

// syslinux.cfg boots root=LABEL=BOOT: a stick that will not carry the label
// cannot boot, and nothing is extracted onto it.
TEST(UsbCreation, NoStopsWhenTheLabelDoesNotReadBackBoot) {
    using Arrange = void (*)(UsbRig&);
    const Arrange cases[] = {
        [](UsbRig& rig) { rig.sys.volume('G').writeProtected = true; },
        [](UsbRig& rig) { rig.sys.failNext(sim::Op::kSetVolumeLabel); },
        [](UsbRig& rig) { rig.sys.failNext(sim::Op::kVolumeLabel); },
    };
    for (const Arrange arrange : cases) {
        UsbRig rig;
        arrange(rig);
        rig.ui.answerNextBox(win::kIdNo);
        rig.create();
        EXPECT_EQ(rig.lastBox().text, "格式化出错");
        EXPECT_EQ(rig.lastBox().caption, "错误");
        EXPECT_FALSE(rig.started("7z.exe x"));
        EXPECT_FALSE(rig.boxShown(test::kSuccess));
        EXPECT_FALSE(rig.toolsPresent());
        EXPECT_TRUE(rig.ui.quitPosted());
    }
}

// The stick pulled or failing while 7-Zip extracts or at the end: each ends
// in an error, never in success, and the tools and the log are removed.
TEST(UsbCreation, AStickThatFailsLateIsNoSuccess) {
    const struct {
        const char* name;
        void (*arrange)(UsbRig&);
        const char* text;
    } cases[] = {
        {"7-Zip fails", [](UsbRig& rig) { rig.children["7z.exe x"].exitCode = 2; },
         "复制文件出错，请检查ISO文件和U盘"},
        {"isolinux cannot be renamed",
         [](UsbRig& rig) { rig.sys.failPath(sim::Op::kMoveFile, "G:\\isolinux"); },
         "复制文件出错，请检查ISO文件和U盘"},
        {"kernel copy fails",
         [](UsbRig& rig) { rig.sys.failPath(sim::Op::kCopyFile, "G:\\vmlinuz0"); },
         "复制文件出错，请检查ISO文件和U盘"},
        {"pulled during the extraction",
         [](UsbRig& rig) {
             rig.loop.beforeTick = [&rig](int) {
                 rig.sys.failDriveFrom(rig.sys.calls().size() + 1, 'G');
             };
         },
         "复制文件出错，请检查ISO文件和U盘"},
        {"installer fails", [](UsbRig& rig) { rig.children["syslinux.exe"].exitCode = 1; },
         "安装SYSLINUX引导失败"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig;
        c.arrange(rig);
        rig.ui.answerNextBox(win::kIdNo);
        rig.create();
        test::expectBox(rig.ui, rig.ui.boxes().size() - 1, c.text, "错误", win::kMbIconError);
        EXPECT_FALSE(rig.boxShown(test::kSuccess));
        EXPECT_FALSE(rig.toolsPresent());
        EXPECT_TRUE(rig.ui.quitPosted());
    }
}

TEST(UsbCreation, AFormatThatEndsWithoutTheLabelFails) {
    UsbRig rig;
    rig.children["cmd /c"] = {false, 3000, 1, "", nullptr};
    rig.create();
    EXPECT_EQ(rig.lastBox().text, "格式化出错");
    EXPECT_EQ(rig.lastBox().caption, "错误");
    EXPECT_EQ(rig.lastBox().flags, win::kMbIconError);
    EXPECT_FALSE(rig.started("7z.exe x"));
    EXPECT_TRUE(rig.ui.timers().empty());
    EXPECT_FALSE(rig.ui.control(ControlId::kStatusFormat).visible);
    EXPECT_TRUE(rig.ui.quitPosted());
    // The watch kept looking while the format ran.
    EXPECT_GE(rig.loop.ticks(1), 6);
}

TEST(UsbCreation, AFormatThatCannotStartFails) {
    UsbRig rig;
    rig.children["cmd /c"].startFails = true;
    rig.create();
    EXPECT_EQ(rig.lastBox().text, "格式化出错");
    EXPECT_EQ(rig.lastBox().flags, win::kMbIconError);
    EXPECT_EQ(rig.loop.ticks(1), 0);
    EXPECT_TRUE(rig.ui.quitPosted());
}

TEST(UsbCreation, AnExtractionThatCannotStartEndsWithoutTimer) {
    UsbRig rig;
    rig.children["7z.exe x"].startFails = true;
    rig.ui.answerNextBox(win::kIdNo);
    rig.create();
    EXPECT_EQ(rig.lastBox().text, "创建进程失败");
    EXPECT_EQ(rig.lastBox().caption, "警告");
    EXPECT_EQ(rig.lastBox().flags, win::kMbOk);
    EXPECT_TRUE(rig.ui.timers().empty());
    EXPECT_TRUE(rig.ui.quitPosted());
}

TEST(UsbCreation, SevenZipExitCodesDecideBetweenFinishAndError) {
    UsbRig warning;
    warning.children["7z.exe x"].exitCode = 1;
    warning.ui.answerNextBox(win::kIdNo);
    warning.create();
    EXPECT_EQ(warning.lastBox().text, test::kSuccess);

    UsbRig fatal;
    fatal.children["7z.exe x"].exitCode = 2;
    fatal.ui.answerNextBox(win::kIdNo);
    fatal.create();
    EXPECT_EQ(fatal.lastBox().text, "复制文件出错，请检查ISO文件和U盘");
    EXPECT_EQ(fatal.lastBox().caption, "错误");
    EXPECT_EQ(fatal.lastBox().flags, win::kMbIconError);
    EXPECT_FALSE(fatal.boxShown(test::kSuccess));
    EXPECT_FALSE(fatal.started(test::kInstallCommand));
    EXPECT_FALSE(fatal.ui.control(ControlId::kStatusCopy).visible);
    EXPECT_FALSE(fatal.toolsPresent());
    EXPECT_TRUE(fatal.ui.quitPosted());
}

TEST(UsbCreation, AnInstallerThatFailsOrHangsIsNoSuccess) {
    UsbRig failing;
    failing.children["syslinux.exe"].exitCode = 1;
    failing.create();
    EXPECT_EQ(failing.lastBox().text, "安装SYSLINUX引导失败");
    EXPECT_EQ(failing.lastBox().caption, "错误");
    EXPECT_FALSE(failing.boxShown(test::kSuccess));
    EXPECT_FALSE(failing.toolsPresent());
    EXPECT_TRUE(failing.ui.quitPosted());

    UsbRig hanging;
    hanging.children["syslinux.exe"].runsForMs = 24 * 3600 * 1000;
    hanging.create();
    EXPECT_EQ(hanging.lastBox().text, "安装SYSLINUX引导失败");
    EXPECT_FALSE(hanging.boxShown(test::kSuccess));

    UsbRig missing;
    missing.children["syslinux.exe"].startFails = true;
    missing.create();
    EXPECT_EQ(missing.lastBox().text, "安装SYSLINUX引导失败");
}

TEST(UsbCreation, AFailedConfigurationWriteIsNoSuccess) {
    UsbRig rig;
    rig.sys.failPath(sim::Op::kCreateFile, "G:\\syslinux\\syslinux.cfg");
    rig.create();
    EXPECT_EQ(rig.lastBox().text, "资源文件syslinux.cfg创建失败");
    EXPECT_FALSE(rig.boxShown(test::kSuccess));
    EXPECT_FALSE(rig.started(test::kInstallCommand));
    EXPECT_FALSE(rig.toolsPresent());
    EXPECT_TRUE(rig.ui.quitPosted());
}

TEST(UsbCreation, AMissingModuleResourceStopsBeforeTheInstaller) {
    UsbRig rig;
    rig.sys.setResource(161, "", Resource::Status::kNotFound);
    rig.create();
    EXPECT_EQ(rig.lastBox().text, "找不到资源文件libcom32.c32");
    EXPECT_FALSE(rig.boxShown(test::kSuccess));
    EXPECT_FALSE(rig.started(test::kInstallCommand));
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
    EXPECT_EQ(rig.lastBox().text, test::kSuccess);
    EXPECT_EQ(rig.sys.startedCommands(),
              (std::vector<std::string>{test::kListCommand, test::kFormatCommand,
                                        test::kExtractCommand, test::kInstallCommand}));
    EXPECT_TRUE(rig.ui.control(ControlId::kModeUsb).checked);
    EXPECT_FALSE(rig.ui.control(ControlId::kModeHarddisk).checked);
    EXPECT_EQ(rig.state.usb.target, 'G');
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
        const ProcessHandle sevenZip = rig.state.extractionChild;
        ASSERT_TRUE(rig.sys.processRunning(sevenZip));
        if (exit) {
            rig.command(ControlId::kExit);
        } else {
            app::onClose(rig.state);
        }
        EXPECT_FALSE(rig.sys.processRunning(sevenZip));
        EXPECT_EQ(rig.toolsPresent(), !exit);
        EXPECT_TRUE(rig.ui.quitPosted());
        EXPECT_FALSE(rig.boxShown(test::kSuccess));
    }
}

TEST(UsbCreation, ExitWhileFormattingDeletesTheToolsInOrder) {
    UsbRig rig;
    rig.children["cmd /c"].runsForMs = 600000;
    rig.pressOk();
    rig.loop.step();
    rig.loop.step();
    rig.command(ControlId::kExit);
    EXPECT_FALSE(rig.toolsPresent());
    EXPECT_TRUE(rig.ui.quitPosted());
    EXPECT_FALSE(rig.loop.step());
    EXPECT_FALSE(rig.started("7z.exe x"));
    EXPECT_EQ(rig.state.toolPaths,
              (std::vector<std::string>{test::kSevenZip, test::kSevenZipDll, test::kInstaller}));
}

TEST(UsbCreation, CloseWhileFormattingKeepsTheTools) {
    UsbRig rig;
    rig.children["cmd /c"].runsForMs = 600000;
    rig.pressOk();
    rig.loop.step();
    app::onClose(rig.state);
    EXPECT_TRUE(rig.toolsPresent());
    EXPECT_TRUE(rig.ui.quitPosted());
}

}  // namespace
}  // namespace kh
