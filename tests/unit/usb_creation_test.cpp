// The USB media creation from the OK button to its end, through both answers
// of the format question, with the tools' children scripted; and what Exit and
// closing the window leave behind.
#include <gtest/gtest.h>

#include "tests/unit/usb_rig.h"
#include "usbmedia/messages.h"

namespace kh {
namespace {

using test::UsbRig;
namespace m = usb::msg;
using Strings = std::vector<std::string>;

// Yes formats behind the watch timer (a stick already labelled BOOT is first
// relabelled, or the watch would take it for formatted); No only sets the
// label BOOT. 7-Zip's exit code 1 is a warning, and the creation finishes.
TEST(UsbCreation, EachAnswerEndsInABootableStick) {
    const Strings formatRoute{test::kListCommand, test::kFormatCommand, test::kExtractCommand,
                              test::kInstallCommand};
    const Strings relabelRoute{test::kListCommand, test::kExtractCommand, test::kInstallCommand};
    const struct {
        const char* name;
        const char* label;
        int answer;
        int sevenZipExit;
        Strings commands;
        const char* labelSeen;  // by the child after the listing
    } cases[] = {
        {"Yes", "KINGSTON", win::kIdYes, 0, formatRoute, "KINGSTON"},
        {"Yes on a stick labelled BOOT", "BOOT", win::kIdYes, 0, formatRoute, "BOOTS"},
        {"No", "KINGSTON", win::kIdNo, 0, relabelRoute, "BOOT"},
        {"No, 7-Zip warns", "KINGSTON", win::kIdNo, 1, relabelRoute, "BOOT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool yes = c.answer == win::kIdYes;
        UsbRig rig(c.label);
        rig.children["7z.exe x"].exitCode = c.sevenZipExit;
        rig.ui.answerNextBox(c.answer);
        rig.pressOk();
        EXPECT_EQ(rig.ui.startFormatPending(), yes ? 1 : 0);
        EXPECT_TRUE(
            rig.ui.control(yes ? ControlId::kStatusFormat : ControlId::kStatusCopy).visible);
        EXPECT_FALSE(rig.ui.control(ControlId::kOk).enabled);

        rig.loop.run();
        EXPECT_EQ(rig.sys.startedCommands(), c.commands);
        EXPECT_EQ(rig.labelAtStart[c.commands[1]], c.labelSeen);
        ASSERT_EQ(rig.ui.boxes().size(), yes ? 3u : 2u);
        test::expectBox(rig.ui, 0, m::kFormatQuestion);
        if (yes) test::expectBox(rig.ui, 1, m::kFormatDone);
        test::expectLastBox(rig.ui, m::kDone);
        rig.expectBootableTree();
        EXPECT_FALSE(rig.toolsPresent());
        EXPECT_TRUE(rig.ui.quitPosted());
        EXPECT_TRUE(rig.ui.timers().empty());
        EXPECT_FALSE(rig.ui.control(ControlId::kStatusFormat).visible);
        EXPECT_FALSE(rig.ui.control(ControlId::kStatusCopy).visible);
        // The installer was waited for with the window kept painted.
        EXPECT_GT(rig.ui.paintPumps(), 0);
    }
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

// Every failure ends with its message, the tools and the log removed, no
// timer left and the end requested. syslinux.cfg boots root=LABEL=BOOT: a
// stick that will not carry the label (relabelled before a format, by the
// format, or kept on No) cannot boot, and nothing is extracted onto it.
TEST(UsbCreation, AFailureShowsItsMessage) {
    const struct {
        const char* name;
        const char* label;
        int answer;
        void (*arrange)(UsbRig&);
        Message message;
        const char* lastStarted;  // the last child started
        std::string text = {};    // in place of the message's own
    } cases[] = {
        {"BOOT cannot be changed", "BOOT", win::kIdYes,
         [](UsbRig& rig) { rig.sys.volume('G').writeProtected = true; }, m::kFormatFailed,
         test::kListCommand},
        {"format ends without the label", "KINGSTON", win::kIdYes,
         [](UsbRig& rig) {
             rig.children["cmd /c"] = {false, 3000, 1, "", nullptr};
         },
         m::kFormatFailed, test::kFormatCommand},
        {"format cannot start", "KINGSTON", win::kIdYes,
         [](UsbRig& rig) { rig.children["cmd /c"].startFails = true; }, m::kFormatFailed,
         test::kFormatCommand},
        {"No on a write-protected stick", "KINGSTON", win::kIdNo,
         [](UsbRig& rig) { rig.sys.volume('G').writeProtected = true; }, m::kFormatFailed,
         test::kListCommand},
        {"No, the label cannot be read", "KINGSTON", win::kIdNo,
         [](UsbRig& rig) { rig.sys.failNext(sim::Op::kVolumeLabel); }, m::kFormatFailed,
         test::kListCommand},
        {"7-Zip cannot start", "KINGSTON", win::kIdNo,
         [](UsbRig& rig) { rig.children["7z.exe x"].startFails = true; }, m::kProcessFailed,
         test::kExtractCommand},
        {"7-Zip fails", "KINGSTON", win::kIdNo,
         [](UsbRig& rig) { rig.children["7z.exe x"].exitCode = 2; }, m::kCopyFailed,
         test::kExtractCommand},
        {"pulled during the extraction", "KINGSTON", win::kIdNo,
         [](UsbRig& rig) {
             rig.loop.beforeTick = [&rig](int) {
                 rig.sys.failDriveFrom(rig.sys.calls().size() + 1, 'G');
             };
         },
         m::kCopyFailed, test::kExtractCommand},
        {"configuration not written", "KINGSTON", win::kIdYes,
         [](UsbRig& rig) { rig.sys.failPath(sim::Op::kCreateFile, "G:\\syslinux\\syslinux.cfg"); },
         m::error(""), test::kExtractCommand, "资源文件syslinux.cfg创建失败"},
        {"module resource missing", "KINGSTON", win::kIdYes,
         [](UsbRig& rig) { rig.sys.setResource(161, "", Resource::Status::kNotFound); },
         m::error(""), test::kExtractCommand, "找不到资源文件libcom32.c32"},
        {"installer fails", "KINGSTON", win::kIdNo,
         [](UsbRig& rig) { rig.children["syslinux.exe"].exitCode = 1; }, m::kInstallerFailed,
         test::kInstallCommand},
        {"installer hangs", "KINGSTON", win::kIdYes,
         [](UsbRig& rig) { rig.children["syslinux.exe"].runsForMs = 24 * 3600 * 1000; },
         m::kInstallerFailed, test::kInstallCommand},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig(c.label);
        c.arrange(rig);
        rig.ui.answerNextBox(c.answer);
        rig.create();
        test::expectLastBox(rig.ui, c.message, c.text);
        EXPECT_EQ(rig.sys.startedCommands().back(), c.lastStarted);
        EXPECT_FALSE(rig.ui.control(ControlId::kStatusFormat).visible);
        if (std::string(c.message.text) == m::kCopyFailed.text) {
            EXPECT_FALSE(rig.ui.control(ControlId::kStatusCopy).visible);
        }
        EXPECT_FALSE(rig.toolsPresent());
        EXPECT_TRUE(rig.ui.timers().empty());
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
    EXPECT_EQ(rig.sys.startedCommands(), (Strings{test::kListCommand, test::kFormatCommand,
                                                  test::kExtractCommand, test::kInstallCommand}));
    EXPECT_TRUE(rig.ui.control(ControlId::kModeUsb).checked);
    EXPECT_FALSE(rig.ui.control(ControlId::kModeHarddisk).checked);
    EXPECT_EQ(rig.state.usb.session.target, 'G');
    rig.expectBootableTree();
    EXPECT_TRUE(std::filesystem::is_empty(rig.sys.hostPath("E:\\")));
}

// Exit ends a running 7-Zip, waits for it, then deletes the tools in the
// order they were written; closing the window only ends 7-Zip. Either way
// nothing follows.
TEST(UsbCreation, ExitDeletesTheToolsOnce7ZipHasEndedCloseKeepsThem) {
    const Strings deletes{"delete C:\\tools\\7z.exe", "delete C:\\tools\\7z.dll",
                          "delete C:\\tools\\syslinux.exe"};
    Strings afterExtraction{"terminate", "wait"};
    afterExtraction.insert(afterExtraction.end(), deletes.begin(), deletes.end());
    afterExtraction.push_back("delete C:\\tools\\7z-progress.log");
    const struct {
        const char* name;
        const char* running;  // the child the command finds running
        int answer;
        bool exit;
        Strings calls;  // terminations, waits and deletes the command makes
    } cases[] = {
        {"exit while 7-Zip extracts", "7z.exe x", win::kIdNo, true, afterExtraction},
        {"close while 7-Zip extracts", "7z.exe x", win::kIdNo, false, {"terminate"}},
        {"exit while formatting", "cmd /c", win::kIdYes, true, deletes},
        {"close while formatting", "cmd /c", win::kIdYes, false, {}},
        {"exit before any creation", nullptr, 0, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig;
        if (c.running) {
            rig.children[c.running].runsForMs = 600000;
            rig.ui.answerNextBox(c.answer);
            rig.pressOk();
            rig.loop.step();
            rig.loop.step();
        }
        const ProcessHandle sevenZip = rig.state.shared.extractionChild;
        const size_t before = rig.sys.calls().size();
        if (c.exit) {
            rig.command(ControlId::kExit);
        } else {
            app::onClose(rig.state);
        }
        Strings calls;
        for (size_t i = before; i < rig.sys.calls().size(); ++i) {
            const sim::Call& call = rig.sys.calls()[i];
            if (call.op == sim::Op::kTerminate) calls.push_back("terminate");
            if (call.op == sim::Op::kWaitForExit) calls.push_back("wait");
            if (call.op == sim::Op::kDeleteFile) calls.push_back("delete " + call.path);
        }
        EXPECT_EQ(calls, c.calls);
        EXPECT_FALSE(sevenZip != 0 && rig.sys.processRunning(sevenZip));
        EXPECT_EQ(rig.toolsPresent(), c.running && !c.exit);
        EXPECT_TRUE(rig.ui.quitPosted());
        EXPECT_FALSE(rig.loop.step());
        EXPECT_FALSE(rig.boxShown(m::kDone.text));
        EXPECT_FALSE(rig.boxShown(m::kFormatDone.text));
    }
}

}  // namespace
}  // namespace kh
