// The USB media creation from the OK button to its end, through both answers
// of the format question, with the tools' children scripted; and what Exit and
// closing the window leave behind.
#include <gtest/gtest.h>

#include "platform/gbk_path.h"
#include "tests/unit/usb_rig.h"
#include "usbmedia/messages.h"

namespace kh {
namespace {

using test::UsbRig;
namespace m = usb::msg;
using Strings = std::vector<std::string>;

// The children started, by name: "list format extract install" when all ran.
std::string startedChildren(const UsbRig& rig) {
    const std::map<std::string, std::string> names = {{test::kListCommand, "list"},
                                                      {test::kFormatCommand, "format"},
                                                      {test::kExtractCommand, "extract"},
                                                      {test::kInstallCommand, "install"}};
    std::string out;
    for (const std::string& command : rig.sys.startedCommands()) {
        const auto name = names.find(command);
        out += (out.empty() ? "" : " ") + (name == names.end() ? command : name->second);
    }
    return out;
}

// Each answer to the format question and each failure after it: the children
// started, the boxes, and what is left behind. Yes formats behind the watch
// timer; No only sets the label BOOT. syslinux.cfg boots root=LABEL=BOOT: a
// stick that will not carry the label cannot boot, and nothing is extracted
// onto it. 7-Zip's exit code 1 is a warning. Radio commands, a second stick
// E: arriving and chosen on every tick leave the confirmed G: the target.
TEST(UsbCreation, EachRouteEndsWithItsMessage) {
    const auto nothing = [](UsbRig&) {};
    const auto writeProtected = [](UsbRig& rig) { rig.sys.volume('G').writeProtected = true; };
    const struct {
        const char* name;
        int answer;
        void (*arrange)(UsbRig&);
        const char* children;   // started
        Message message;        // the last box
        std::string text = {};  // in place of the message's own
        const char* label = "KINGSTON";
    } cases[] = {
        {"Yes", win::kIdYes, nothing, "list format extract install", m::kDone},
        {"Yes on a stick labelled BOOT", win::kIdYes, nothing, "list format extract install",
         m::kDone, "", "BOOT"},
        {"No", win::kIdNo, nothing, "list extract install", m::kDone},
        {"No, 7-Zip warns", win::kIdNo, [](UsbRig& rig) { rig.children["7z.exe x"].exitCode = 1; },
         "list extract install", m::kDone},
        {"BOOT cannot be changed", win::kIdYes, writeProtected, "list", m::kFormatFailed, "",
         "BOOT"},
        {"format ends without the label", win::kIdYes,
         [](UsbRig& rig) { rig.children["cmd /c"].onExit = nullptr; }, "list format",
         m::kFormatFailed},
        {"7-Zip cannot start", win::kIdNo,
         [](UsbRig& rig) { rig.children["7z.exe x"].startFails = true; }, "list extract",
         m::kProcessFailed},
        {"7-Zip fails", win::kIdNo, [](UsbRig& rig) { rig.children["7z.exe x"].exitCode = 2; },
         "list extract", m::kCopyFailed},
        {"module resource missing", win::kIdYes,
         [](UsbRig& rig) { rig.sys.setResource(161, "", Resource::Status::kNotFound); },
         "list format extract", m::error(""), "找不到资源文件libcom32.c32"},
        {"installer fails", win::kIdNo,
         [](UsbRig& rig) { rig.children["syslinux.exe"].exitCode = 1; }, "list extract install",
         m::kInstallerFailed},
        {"installer hangs", win::kIdYes,
         [](UsbRig& rig) { rig.children["syslinux.exe"].runsForMs = 24 * 3600 * 1000; },
         "list format extract install", m::kInstallerFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig(c.label);
        rig.addRemovable('E', "OTHER");
        rig.loop.beforeTick = [&rig](int) {
            rig.command(ControlId::kModeHarddisk);
            rig.command(ControlId::kModeUsb);
            app::onDeviceChange(rig.state, win::kDbtDeviceArrival);
            rig.ui.selectDriveIndex(0);  // E:
        };
        c.arrange(rig);
        rig.ui.answerNextBox(c.answer);
        rig.pressOk();
        EXPECT_EQ(rig.ui.startFormatPending(),
                  std::string(c.children).find("format") != std::string::npos);
        for (ControlId id : {ControlId::kOk, ControlId::kModeUsb, ControlId::kModeHarddisk,
                             ControlId::kDriveList, ControlId::kBrowse, ControlId::kIsoPath}) {
            EXPECT_FALSE(rig.ui.control(id).enabled) << static_cast<int>(id);
        }

        rig.loop.run();
        EXPECT_EQ(startedChildren(rig), c.children);
        const bool formatted =
            c.answer == win::kIdYes && std::string(c.children).find("extract") != std::string::npos;
        ASSERT_EQ(rig.ui.boxes().size(), formatted ? 3u : 2u) << rig.messages();
        test::expectBox(rig.ui, 0, m::kFormatQuestion);
        if (formatted) test::expectBox(rig.ui, 1, m::kFormatDone);
        test::expectLastBox(rig.ui, c.message, c.text);
        EXPECT_TRUE(std::filesystem::is_empty(rig.sys.hostPath("E:\\")));
        EXPECT_TRUE(rig.ui.control(ControlId::kModeUsb).checked);
        EXPECT_FALSE(rig.toolsPresent());
        EXPECT_TRUE(rig.ui.quitPosted());
        EXPECT_TRUE(rig.ui.timers().empty());
        EXPECT_FALSE(rig.ui.control(ControlId::kStatusFormat).visible);
        const std::string shown = c.message.text;
        if (shown == m::kCopyFailed.text || shown == m::kDone.text) {
            EXPECT_FALSE(rig.ui.control(ControlId::kStatusCopy).visible);
        }
        if (shown != m::kDone.text) continue;
        rig.expectBootableTree();
        EXPECT_EQ(rig.sys.volume('G').label, "BOOT");
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

// An empty module resource is given up without a word, as any empty payload
// is; the window is ready for another try, not ended.
TEST(UsbCreation, AnEmptyModuleResourceReturnsTheWindowToIdle) {
    UsbRig rig;
    rig.sys.setResource(161, "", Resource::Status::kOk);
    rig.ui.answerNextBox(win::kIdYes);
    rig.create();
    ASSERT_EQ(rig.ui.boxes().size(), 2u);  // the format question and its end
    EXPECT_EQ(startedChildren(rig), "list format extract");
    EXPECT_FALSE(rig.ui.quitPosted());
    EXPECT_TRUE(rig.ui.control(ControlId::kOk).enabled);
}

// Exit ends a running 7-Zip, waits for it, then deletes the tools in the
// order they were written; closing the window only ends 7-Zip. Either way
// nothing follows.
TEST(UsbCreation, ExitDeletesTheToolsOnce7ZipHasEndedCloseKeepsThem) {
    const struct {
        const char* name;
        const char* running;  // the child the command finds running
        int answer;
        bool exit;
        const char* calls;  // the terminations, waits and deletes it makes
    } cases[] = {
        {"exit while 7-Zip extracts", "7z.exe x", win::kIdNo, true,
         "terminate wait 7z.exe 7z.dll syslinux.exe 7z-progress.log"},
        {"close while 7-Zip extracts", "7z.exe x", win::kIdNo, false, "terminate"},
        {"exit while formatting", "cmd /c", win::kIdYes, true, "7z.exe 7z.dll syslinux.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig;
        rig.children[c.running].runsForMs = 600000;
        rig.ui.answerNextBox(c.answer);
        rig.pressOk();
        rig.loop.step();
        rig.loop.step();
        const ProcessHandle sevenZip = rig.state.shared.extractionChild;
        const size_t calls = rig.sys.calls().size();
        const size_t boxes = rig.ui.boxes().size();
        if (c.exit) {
            rig.command(ControlId::kExit);
        } else {
            app::onClose(rig.state);
        }
        std::string made;
        const auto note = [&made](const std::string& what) {
            made += (made.empty() ? "" : " ") + what;
        };
        for (size_t i = calls; i < rig.sys.calls().size(); ++i) {
            const sim::Call& call = rig.sys.calls()[i];
            if (call.op == sim::Op::kTerminate) note("terminate");
            if (call.op == sim::Op::kWaitForExit) note("wait");
            if (call.op == sim::Op::kDeleteFile) note(fileNameOf(call.path));
        }
        EXPECT_EQ(made, c.calls);
        EXPECT_FALSE(sevenZip != 0 && rig.sys.processRunning(sevenZip));
        EXPECT_EQ(rig.toolsPresent(), !c.exit);
        EXPECT_TRUE(rig.ui.quitPosted());
        EXPECT_FALSE(rig.loop.step());
        EXPECT_EQ(rig.ui.boxes().size(), boxes);
    }
}

}  // namespace
}  // namespace kh
