// The USB media creation against the simulated Windows: what is refused
// before the format question, each route from OK to its end, Exit and closing
// the window, the copy status, and every system call failing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/window_events.h"
#include "common/sevenzip.h"
#include "common/texts.h"
#include "payloads/catalogue.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"
#include "tests/support/fault_sweep.h"
#include "tests/support/sim_env.h"
#include "tests/support/sim_loop.h"
#include "usbmedia/boot_files.h"
#include "usbmedia/usbmedia.h"
#include "verify/digest.h"

namespace kh {
namespace {

namespace m = kh::msg;

// A table text with its one placeholder ("%d", "%s") filled in.
std::string filled(const char* pattern, const std::string& value) {
    std::string text = pattern;
    const size_t at = text.find('%');
    return text.replace(at, 2, value);
}

using Strings = std::vector<std::string>;
using test::SweepFault;

constexpr const char* kIso = "C:\\isos\\live.iso";

// The files of the ISO in the order 7-Zip lists and streams them.
using IsoFiles = std::vector<std::pair<std::string, std::string>>;
const IsoFiles kIsoFiles = {{"LiveOS\\squashfs.img", "image"},
                            {"isolinux\\empty", ""},
                            {"isolinux\\initrd0.img", "initrd0"},
                            {"isolinux\\initrd4disk.img", "initrd4disk"},
                            {"isolinux\\ldlinux.c32", "ldlinux of the ISO"},
                            {"isolinux\\vesamenu.c32", "vesamenu of the ISO"},
                            {"isolinux\\vmlinuz0", "kernel"}};

// Their listing (but `without`, and with a file of `extraBytes` when not 0),
// with the El Torito image 7-Zip shows as well.
std::string isoListing(const IsoFiles& files, const std::string& without = "",
                       uint64_t extraBytes = 0) {
    std::string out = "Path = C:\\isos\\live.iso\r\nType = Iso\r\n\r\n----------\r\n";
    const auto item = [&out](const std::string& name, uint64_t size) {
        out += "Path = " + name + "\r\nFolder = -\r\nSize = " + std::to_string(size) + "\r\n\r\n";
    };
    for (const auto& [name, bytes] : files) {
        if (name != without) item(name, bytes.size());
    }
    if (extraBytes != 0) item("file", extraBytes);
    item("[BOOT]\\Boot-NoEmul.img", 2048);
    return out;
}

// What the user can change or press to start: locked while a creation runs.
const ControlId kInputControls[] = {ControlId::kOk,      ControlId::kDriveList,
                                    ControlId::kModeUsb, ControlId::kModeHarddisk,
                                    ControlId::kBrowse,  ControlId::kIsoPath};

// The format question, naming G: as the drive list shows it.
std::string question(const std::string& named = "G:（KINGSTON，7.4 GB）") {
    return filled(m::kFormatQuestion.text, named);
}

// The boot files of this build; the ISO's own vesamenu.c32 is replaced by its.
const struct {
    int id;
    const char* name;
    const char* bytes;
} kBootFiles[] = {{payloads::kSyslinuxCfg, "syslinux.cfg", "default vesamenu.c32\n"},
                  {payloads::kVesamenuC32, "vesamenu.c32", "vesamenu of this build"},
                  {payloads::kLibcom32C32, "libcom32.c32", "libcom32 of this build"},
                  {payloads::kLibutilC32, "libutil.c32", "libutil of this build"}};

// A machine ready for the USB media creation: drive G: removable, the ISO, the
// program's resources, the window created in USB mode, and scripted children
// that behave like the real tools (7-Zip lists and extracts, format changes
// the label, the installer ends).
struct UsbRig : test::SimEnv {
    explicit UsbRig(const std::string& label = "KINGSTON", uint64_t isoBytes = 700000000) {
        addRemovable('G', label);
        for (int tool : {payloads::kSevenZipExe, payloads::kSevenZipDll, payloads::kSyslinuxExe}) {
            sys.setResource(tool, "tool bytes");
        }
        for (const auto& file : kBootFiles) sys.setResource(file.id, file.bytes);
        sparseFile(kIso, isoBytes);

        children["7z.exe l"] = sim::SimProcess{false, 500, 0, isoListing(kIsoFiles), nullptr};
        std::string stream;
        for (const auto& file : kIsoFiles) stream += file.second;
        const auto extract = [](sim::SimSystem& s) {
            for (const auto& [name, bytes] : kIsoFiles) s.writeHostFile("G:\\" + name, bytes);
        };
        children["7z.exe x"] = sim::SimProcess{false, 12000, 0, "", extract};
        children["7z.exe x -so"] = sim::SimProcess{false, 0, 0, "", nullptr, stream};
        children["cmd.exe /c"] = sim::SimProcess{
            false, 3000, 0, "", [](sim::SimSystem& s) { s.volume('G').label = "BOOT"; }};
        // The installer writes its own ldlinux.c32 over the ISO's.
        const auto install = [](sim::SimSystem& s) {
            s.writeHostFile("G:\\syslinux\\ldlinux.c32", "ldlinux of the installer");
        };
        children["syslinux.exe"] = sim::SimProcess{false, 4000, 0, "", install};
        sys.processBehaviour = [this](const std::string& command) {
            // The program's name without its folder, then its arguments.
            const size_t nameEnd = command.find(command[0] == '"' ? "\" " : " ");
            const std::string byName = fileNameOf(command.substr(0, nameEnd)) +
                                       command.substr(nameEnd + (command[0] == '"'));
            // From the back, so that "7z.exe x -so" is met before "7z.exe x".
            for (auto it = children.rbegin(); it != children.rend(); ++it) {
                if (byName.rfind(it->first, 0) != 0) continue;
                startedAt[it->first] = sys.now();
                return it->second;
            }
            return sim::SimProcess{true, 0, 0, "", nullptr};
        };

        app::onCreate(state);
        app::onCommand(state, static_cast<int>(ControlId::kModeUsb));
        ui.typeIsoPath(kIso);
    }

    void sparseFile(const std::string& path, uint64_t bytes) {
        sys.writeHostFile(path, "");
        std::filesystem::resize_file(sys.hostPath(path), bytes);
    }

    void command(ControlId id) { app::onCommand(state, static_cast<int>(id)); }
    void pressOk() { command(ControlId::kOk); }
    void create() {
        pressOk();
        loop.run();
    }

    // What a finished creation leaves on G:.
    void expectBootableTree() const {
        EXPECT_FALSE(sys.readHostFile("G:\\isolinux\\vmlinuz0"));
        EXPECT_EQ(sys.readHostFile("G:\\syslinux\\vmlinuz0"), "kernel");
        EXPECT_EQ(sys.readHostFile("G:\\syslinux\\initrd0.img"), "initrd0");
        EXPECT_EQ(sys.readHostFile("G:\\vmlinuz0"), "kernel");
        EXPECT_EQ(sys.readHostFile("G:\\initrd4disk.img"), "initrd4disk");
        for (const auto& file : kBootFiles) {
            EXPECT_EQ(sys.readHostFile("G:\\syslinux\\" + std::string(file.name)), file.bytes);
        }
    }

    std::map<std::string, sim::SimProcess> children;  // by command prefix
    std::map<std::string, uint64_t> startedAt;        // on the simulated clock
    test::SimLoop loop{*this};
};

void isoOn(UsbRig& rig, const std::string& path) {
    rig.sparseFile(path, 1000000);
    rig.ui.typeIsoPath(path);
}

void checksums(UsbRig& rig, const std::string& lines) {
    rig.sys.writeHostFile("C:\\isos\\SHA256SUMS", lines);
}

// A million zero bytes, as a sparse ISO of 1 MB holds.
const std::string kZerosDigest =
    verify::hexDigest(verify::HashAlgorithm::kSha256, std::string(1000000, '\0'));

// What is refused before the format question, with the exact message, and the
// window left ready for another attempt; or else the question asked.
// Formatting would erase the ISO or the running program, whichever way the
// stick is reached; 7-Zip must list the ISO; the ISO must match the checksum
// next to it, and a checksum file that cannot be trusted is the user's call.
// Free space is compared in whole megabytes, in 64 bits (64 x 512 x 200,000
// bytes would be 2,258 MB in 32 bits); FAT32 cannot hold a file of 4 GiB.
TEST(UsbChecks, WhatIsRefusedBeforeTheFormatQuestion) {
    const auto nothing = [](UsbRig&) {};
    constexpr DiskFreeSpace kRoomy = {1, 1000, 700000, 7400000};  // 7.4 GB
    const struct {
        const char* name;
        void (*arrange)(UsbRig&);
        const Message* refusal;  // none: the format question follows
        std::string text = {};   // in place of the refusal's own
        uint64_t isoMegabytes = 700;
        DiskFreeSpace space = kRoomy;
        uint64_t largestFile = 4096;
    } cases[] = {
        {"ISO missing", [](auto& rig) { rig.ui.typeIsoPath("C:\\isos\\gone.iso"); },
         &m::kIsoMissing},
        {"ISO size unknown", [](auto& rig) { rig.sys.failPath(sim::Op::kFileSize, kIso); },
         &m::kIsoMissing},
        {"no drive", [](auto& rig) { rig.ui.clearDriveList(); }, &m::kInsertUsbFirst},
        {"free space unknown", [](auto& rig) { rig.sys.failOn(sim::Op::kDiskFreeSpace); },
         &m::kDriveNotFound},
        {"7-Zip cannot list", [](auto& rig) { rig.children["7z.exe l"].exitCode = 2; },
         &m::kIsoUnreadable},
        {"7-Zip still listing after a minute",
         [](auto& rig) { rig.children["7z.exe l"].runsForMs = 60001; }, &m::kIsoUnreadable},
        {"no live image in the ISO",
         [](auto& rig) {
             rig.children["7z.exe l"].output = isoListing(kIsoFiles, "LiveOS\\squashfs.img");
         },
         &m::kIsoLacksBootFile, "ISO文件中没有LiveOS\\squashfs.img，无法制作启动U盘"},
        // Data after the image: still a complete listing.
        {"7-Zip warns", [](auto& rig) { rig.children["7z.exe l"].exitCode = 1; }, nullptr},
        {"ISO on the stick", [](auto& rig) { isoOn(rig, "G:\\live.iso"); }, &m::kIsoOnTarget},
        {"ISO through a subst letter",
         [](auto& rig) {
             rig.sys.mapDrive('S');
             rig.sys.substDrive('S', "G:\\");
             isoOn(rig, "S:\\live.iso");
         },
         &m::kIsoOnTarget},
        {"ISO on the stick, its volume not named by the system",
         [](auto& rig) {
             rig.sys.failPath(sim::Op::kVolumeIdentity, "G:\\live.iso");
             isoOn(rig, "G:\\live.iso");
         },
         &m::kIsoOnTarget},
        {"program on the stick", [](auto& rig) { rig.sys.setModulePath("G:\\KH.exe"); },
         &m::kProgramOnTarget},
        {"checksum matching", [](auto& rig) { checksums(rig, kZerosDigest + "  live.iso\n"); },
         nullptr, "", 1},
        {"checksum not matching",
         [](auto& rig) { checksums(rig, std::string(64, '1') + " *LIVE.ISO\n"); }, &m::kIsoMismatch,
         "ISO文件校验失败（live.iso，SHA256SUMS），文件可能已损坏，请重新下载。", 1},
        {"checksum file malformed, going on", [](auto& rig) { checksums(rig, "123  live.iso\n"); },
         nullptr, "", 1},
        {"checksum file malformed, not going on",
         [](auto& rig) {
             checksums(rig, "123  live.iso\n");
             rig.ui.answerNextBox(win::kIdNo);
         },
         &m::kChecksumMalformed,
         "校验文件（SHA256SUMS）内容有误，不能校验ISO文件（live.iso）。是否不校验继续？", 1},
        {"exactly the ISO's size free", nothing, nullptr},
        {"a byte short", nothing, &m::kNotEnoughSpace, "", 700, {1, 1, 699999999}},
        {"7,000 MB on 6,553 MB", nothing, &m::kNotEnoughSpace, "", 7000, {64, 512, 200000}},
        {"5,000 MB on 6,553 MB", nothing, nullptr, "", 5000, {64, 512, 200000, 226000}},
        {"a file a byte under 4 GiB", nothing, nullptr, "", 700, kRoomy, 4294967295},
        {"a file of 4 GiB", nothing, &m::kFileTooLargeForFat32, "", 700, kRoomy, 4294967296},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig("KINGSTON", c.isoMegabytes * 1000000);
        rig.sys.volume('G').freeSpace = c.space;
        rig.children["7z.exe l"].output = isoListing(kIsoFiles, "", c.largestFile);
        c.arrange(rig);
        rig.pressOk();
        if (!c.refusal) {
            test::expectLastBox(rig.ui, m::kFormatQuestion, question());
            continue;
        }
        ASSERT_EQ(rig.ui.boxes().size(), 1u) << rig.messages();
        // The space refusal names the ISO's size in megabytes.
        const bool space = c.refusal == &m::kNotEnoughSpace;
        const std::string megabytes = std::to_string(c.isoMegabytes);
        test::expectBox(rig.ui, 0, *c.refusal, space ? filled(c.refusal->text, megabytes) : c.text);
        EXPECT_FALSE(rig.toolsFolderPresent());
        EXPECT_FALSE(rig.ui.quitPosted());
        EXPECT_EQ(rig.state.usb.session.stage, usb::UsbStage::kIdle);
        for (ControlId id : kInputControls) EXPECT_TRUE(rig.ui.control(id).enabled) << int(id);
    }
    // A tool the program cannot write out ends it with that box alone.
    UsbRig rig;
    rig.sys.setResource(payloads::kSyslinuxExe, "", Resource::Status::kNotFound);
    rig.pressOk();
    test::expectOnlyFailureBox(rig, m::kUsbSyslinuxExe.notFound);
}

void addWord(std::string& words, const std::string& word) {
    words += (words.empty() ? "" : " ") + word;
}

// The children started, by name: "list format extract install readback" when all ran.
std::string startedChildren(const UsbRig& rig) {
    const std::string sevenZip = rig.toolFile(sevenzip::kExeName);
    const std::map<std::string, std::string> names = {
        {sevenzip::listCommand(sevenZip, kIso).commandLine, "list"},
        {"C:\\WINDOWS\\system32\\cmd.exe /c echo yes|\"C:\\WINDOWS\\system32\\format.com\" "
         "/FS:fat32 /V:BOOT G:",
         "format"},
        {sevenzip::extractAllCommand(sevenZip, kIso, 'G').commandLine, "extract"},
        {"\"" + rig.toolFile("syslinux.exe") + "\" -sfmar G:", "install"},
        {sevenzip::streamAllCommand(sevenZip, kIso).commandLine, "readback"}};
    std::string out;
    for (const std::string& command : rig.sys.startedCommands()) {
        const auto name = names.find(command);
        addWord(out, name == names.end() ? command : name->second);
    }
    return out;
}

const std::string kMbrNotUpdated = "Did not successfully update the MBR; continuing...";

// Exit while the ISO is checked (the window answering as it is read) stops
// the check at once, with the stick as it was.
TEST(UsbChecks, ExitDuringTheIsoCheckStopsIt) {
    UsbRig rig("KINGSTON", 1000000);
    checksums(rig, kZerosDigest + "  live.iso\n");
    std::string status;  // at the check's first look, past the listing's waits
    std::function<void()> click = [&] {
        status = rig.ui.control(ControlId::kStatusCopy).text;
        if (status.rfind("校验", 0) == 0) return rig.command(ControlId::kExit);
        rig.ui.duringWait = click;
    };
    rig.ui.duringWait = click;
    rig.pressOk();
    EXPECT_EQ(status, filled(m::kIsoCheckProgress, "0"));
    EXPECT_EQ(startedChildren(rig), "list");
    EXPECT_TRUE(std::filesystem::is_empty(rig.sys.hostPath("G:\\")));
    EXPECT_FALSE(rig.toolsFolderPresent());
    EXPECT_TRUE(rig.ui.quitPosted());
    EXPECT_TRUE(rig.ui.boxes().empty()) << rig.messages();
}

// Each answer to the format question and each failure after it: the children
// started, the boxes, what is left. Yes formats behind the watch timer; No sets
// the label BOOT that syslinux.cfg boots by: a stick that will not take it is a
// format error with nothing extracted. 7-Zip's exit code 1 is a warning. Radio
// commands, a second stick E: listed first (arriving before OK, chosen on every
// tick) and a card reader's D: arriving while asked leave G: the target.
TEST(UsbCreation, EachRouteEndsWithItsMessage) {
    const auto nothing = [](UsbRig&) {};
    const struct {
        const char* name;
        int answer;
        void (*arrange)(UsbRig&);
        const char* children;                          // started
        Message message;                               // the last box
        std::string text = {};                         // in place of the message's own
        const char* named = "G:（KINGSTON，7.4 GB）";  // by the question
    } cases[] = {
        {"Yes", win::kIdYes, nothing, "list format extract install readback", m::kDone},
        {"Yes on a stick labelled BOOT", win::kIdYes,
         [](auto& rig) { rig.sys.volume('G').label = "BOOT"; },
         "list format extract install readback", m::kDone, "", "G:（BOOT，7.4 GB）"},
        {"Yes, a card reader's D: arriving while asked", win::kIdYes,
         [](auto& rig) {
             rig.ui.whileNextBoxOpen([&rig] {
                 rig.addRemovable('D', "CAMERA");
                 app::onDeviceChange(rig.state, win::kDbtDeviceArrival);
             });
         },
         "list format extract install readback", m::kDone},
        {"Yes on an unlabelled stick of 512 MB", win::kIdYes,
         [](auto& rig) {
             rig.sys.volume('G').label = "";
             rig.sys.volume('G').freeSpace = DiskFreeSpace{1, 512, 1000000, 1000000};
         },
         "list format extract install readback", m::kDone, "", "G:（512 MB）"},
        {"Yes on a stick labelled %s", win::kIdYes,
         [](auto& rig) { rig.sys.volume('G').label = "%s"; },
         "list format extract install readback", m::kDone, "", "G:（%s，7.4 GB）"},
        {"No", win::kIdNo, nothing, "list extract install readback", m::kDone},
        {"No, 7-Zip warns", win::kIdNo, [](auto& rig) { rig.children["7z.exe x"].exitCode = 1; },
         "list extract install readback", m::kDone},
        // Nothing can be staged (a folder of that name is there); the ISO's own module, extracted
        // read-only, hidden and system, is still replaced.
        {"No, the modules written after the extraction", win::kIdNo,
         [](auto& rig) {
             rig.sys.writeHostFile("G:\\" + std::string(usb::kStagingFolder) + "\\x", "");
             auto& extraction = rig.children["7z.exe x"].onExit;
             extraction = [extract = extraction](sim::SimSystem& sys) {
                 extract(sys);
                 sys.setAttributes("G:\\isolinux\\vesamenu.c32",
                                   win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem);
             };
         },
         "list extract install readback", m::kDone},
        // A staged module cut short that cannot be deleted is not what the stick gets.
        {"No, a module's staging cut short and kept", win::kIdNo,
         [](auto& rig) {
             const std::string staged = "G:\\" + std::string(usb::kStagingFolder) + "\\libutil.c32";
             rig.sys.failPath(sim::Op::kWrite, staged);
             rig.sys.failPath(sim::Op::kDeleteFile, staged);
         },
         "list extract install readback", m::kDone},
        // Without formatting, the syslinux folder and kernel of an earlier run are not what boots.
        {"No over an earlier run", win::kIdNo,
         [](auto& rig) {
             rig.sys.writeHostFile("G:\\syslinux\\vmlinuz0", "old kernel");
             rig.sys.writeHostFile("G:\\syslinux.old\\vmlinuz0", "older kernel");
             rig.sys.writeHostFile("G:\\vmlinuz0", "old kernel in the root");
         },
         "list extract install readback", m::kDone},
        {"BOOT cannot be changed", win::kIdYes,
         [](auto& rig) {
             rig.sys.volume('G').label = "BOOT";
             rig.sys.volume('G').writeProtected = true;
         },
         "list", m::kFormatFailed, "", "G:（BOOT，7.4 GB）"},
        {"format ends without the label", win::kIdYes,
         [](auto& rig) { rig.children["cmd.exe /c"].onExit = nullptr; }, "list format",
         m::kFormatFailed},
        {"7-Zip cannot start", win::kIdNo,
         [](auto& rig) { rig.children["7z.exe x"].startFails = true; }, "list extract",
         m::kProcessFailed},
        {"7-Zip fails", win::kIdNo, [](auto& rig) { rig.children["7z.exe x"].exitCode = 2; },
         "list extract", m::kCopyFailed},
        {"module resource missing", win::kIdYes,
         [](auto& rig) {
             rig.sys.setResource(payloads::kLibcom32C32, "", Resource::Status::kNotFound);
         },
         "list format extract", m::kResourceFileNotFound,
         filled(m::kResourceFileNotFound.text, "libcom32.c32")},
        {"installer fails", win::kIdNo,
         [](auto& rig) { rig.children["syslinux.exe"].exitCode = 1; }, "list extract install",
         m::kInstallerFailed},
        {"installer could not update the MBR, exit code 0", win::kIdNo,
         [](auto& rig) { rig.children["syslinux.exe"].output = kMbrNotUpdated; },
         "list extract install", m::kInstallerFailed,
         std::string(m::kInstallerFailed.text) + "\n" + kMbrNotUpdated},
        {"installer hangs", win::kIdYes,
         [](auto& rig) { rig.children["syslinux.exe"].runsForMs = 24 * 3600 * 1000; },
         "list format extract install", m::kInstallerFailed},
        // The stick is never called good unless it was read back to the end.
        {"the read-back's 7-Zip fails", win::kIdNo,
         [](auto& rig) { rig.children["7z.exe x -so"].exitCode = 2; },
         "list extract install readback", msg::kStickUnverified,
         "U盘校验未能完成（7-Zip），无法确认U盘上的文件完好。"},
        {"the close box during the read-back", win::kIdNo,
         [](auto& rig) {
             rig.children["syslinux.exe"].onExit = [&rig](sim::SimSystem&) {
                 rig.ui.duringWait = [&rig] { app::onClose(rig.state); };
             };
         },
         "list extract install readback", msg::kStickUnverified,
         "U盘校验未能完成（已停止），无法确认U盘上的文件完好。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig("KINGSTON", 100000000);
        rig.addRemovable('E', "OTHER");  // listed first, before OK
        app::onDeviceChange(rig.state, win::kDbtDeviceArrival);
        rig.loop.beforeTick = [&rig](int) {
            rig.command(ControlId::kModeHarddisk);
            rig.command(ControlId::kModeUsb);
            app::onDeviceChange(rig.state, win::kDbtDeviceArrival);
            rig.ui.selectDriveIndex(0);  // E:
            rig.ui.postStartFormat();    // by another program: never a second format
        };
        c.arrange(rig);
        rig.ui.answerNextBox(c.answer);
        rig.pressOk();
        const bool yes = c.answer == win::kIdYes;
        const std::string children = c.children;
        EXPECT_EQ(rig.ui.control(yes ? ControlId::kStatusFormat : ControlId::kStatusCopy).visible,
                  children.find(yes ? "format" : "extract") != std::string::npos);
        for (ControlId id : kInputControls) EXPECT_FALSE(rig.ui.control(id).enabled) << int(id);
        rig.loop.run();
        EXPECT_EQ(startedChildren(rig), c.children);
        const bool formatted = yes && children.find("extract") != std::string::npos;
        ASSERT_EQ(rig.ui.boxes().size(), formatted ? 3u : 2u) << rig.messages();
        test::expectBox(rig.ui, 0, m::kFormatQuestion, question(c.named));
        if (formatted) test::expectBox(rig.ui, 1, m::kFormatDone);
        test::expectLastBox(rig.ui, c.message, c.text);
        EXPECT_TRUE(std::filesystem::is_empty(rig.sys.hostPath("E:\\")));
        EXPECT_FALSE(rig.sys.readHostFile("G:\\~kh-boot\\syslinux.cfg"));  // nothing left staged
        EXPECT_TRUE(rig.ui.control(ControlId::kModeUsb).checked);
        EXPECT_FALSE(rig.toolsFolderPresent());
        EXPECT_TRUE(rig.ui.quitPosted());
        EXPECT_TRUE(rig.ui.timers().empty());
        EXPECT_FALSE(rig.ui.control(ControlId::kStatusFormat).visible);
        const std::string shown = c.message.text;
        if (shown == m::kCopyFailed.text || shown == m::kDone.text ||
            shown == m::kInstallerFailed.text) {
            EXPECT_FALSE(rig.ui.control(ControlId::kStatusCopy).visible);
        }
        if (shown != m::kDone.text) continue;
        rig.expectBootableTree();
        EXPECT_EQ(rig.ui.control(ControlId::kStatusCopy).text,
                  filled(m::kStickCheckProgress, "100"));
        if (std::string(c.name) == "No over an earlier run") {  // kept aside beside the older one
            EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux.old\\vmlinuz0"), "older kernel");
            EXPECT_EQ(rig.sys.readHostFile("G:\\syslinux.old1\\vmlinuz0"), "old kernel");
        }
        EXPECT_EQ(rig.sys.volume('G').label, "BOOT");
        // The installer was waited for with the window kept painted.
        EXPECT_GT(rig.ui.paintPumps(), 0);
        // The boot files are set up as soon as 7-Zip ends, not at the next tick.
        EXPECT_EQ(rig.startedAt["syslinux.exe"],
                  rig.startedAt["7z.exe x"] + rig.children["7z.exe x"].runsForMs);
    }
}

// What ends after a Yes with the window ready for another try, not ended.
// Only the drive the question named is wiped: a stick swapped, pulled or
// changed in size while it is open, or before the format starts, is refused.
// An empty module resource is given up without a word, as any empty payload is.
TEST(UsbCreation, WhatReturnsTheWindowToIdleAfterTheQuestion) {
    const struct {
        const char* name;
        void (*change)(UsbRig&);
        bool whileAsked;  // or else after the answer, before the format
        const char* children = "list";
        const Message* last = &m::kDriveChanged;
    } cases[] = {
        {"G: swapped", [](auto& rig) { rig.sys.volume('G').serial = 7; }, true},
        {"G: swapped after the answer", [](auto& rig) { rig.sys.volume('G').serial = 7; }, false},
        {"G: pulled", [](auto& rig) { rig.sys.volume('G').medium = false; }, true},
        {"G: resized", [](auto& rig) { rig.sys.volume('G').freeSpace->totalClusters = 1; }, true},
        {"an empty module resource",
         [](auto& rig) { rig.sys.setResource(payloads::kLibcom32C32, "", Resource::Status::kOk); },
         false, "list format extract", &m::kFormatDone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig;
        if (c.whileAsked) rig.ui.whileNextBoxOpen([&] { c.change(rig); });
        rig.ui.answerNextBox(win::kIdYes);
        rig.pressOk();
        if (!c.whileAsked) c.change(rig);
        rig.loop.run();
        ASSERT_EQ(rig.ui.boxes().size(), 2u) << rig.messages();
        test::expectBox(rig.ui, 0, m::kFormatQuestion, question());
        test::expectLastBox(rig.ui, *c.last);
        EXPECT_EQ(startedChildren(rig), c.children);
        EXPECT_FALSE(rig.ui.control(ControlId::kStatusFormat).visible);
        EXPECT_FALSE(rig.ui.quitPosted());
        EXPECT_TRUE(rig.ui.control(ControlId::kOk).enabled);
    }
}

// Exit ends a running 7-Zip, waits for it, then deletes the tools in the
// order they were written; closing the window only ends 7-Zip, and the tools
// go when the program ends, which also ends a 7-Zip the window left running
// when it was destroyed. Either way nothing follows.
TEST(UsbCreation, ExitDeletesTheToolsOnce7ZipHasEndedCloseKeepsThem) {
    using End = void (*)(UsbRig&);
    const End exitButton = [](UsbRig& rig) { rig.command(ControlId::kExit); };
    const End closeBox = [](UsbRig& rig) { app::onClose(rig.state); };
    const End destroyed = [](UsbRig& rig) { app::onDestroy(rig.state); };
    const struct {
        const char* name;
        const char* running;  // the child the command finds running
        int answer;
        End end;
        const char* calls;  // the terminations, waits and deletes it makes
    } cases[] = {
        {"exit while 7-Zip extracts", "7z.exe x", win::kIdNo, exitButton,
         "terminate wait 7z.exe 7z.dll syslinux.exe 7z-progress.log"},
        {"close while 7-Zip extracts", "7z.exe x", win::kIdNo, closeBox, "terminate"},
        {"the window destroyed while 7-Zip extracts", "7z.exe x", win::kIdNo, destroyed, ""},
        {"exit while formatting", "cmd.exe /c", win::kIdYes, exitButton,
         "7z.exe 7z.dll syslinux.exe"},
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
        c.end(rig);
        std::string made;
        for (size_t i = calls; i < rig.sys.calls().size(); ++i) {
            const sim::Call& call = rig.sys.calls()[i];
            if (call.op == sim::Op::kTerminate) addWord(made, "terminate");
            if (call.op == sim::Op::kWaitForExit) addWord(made, "wait");
            if (call.op == sim::Op::kDeleteFile) addWord(made, fileNameOf(call.path));
        }
        EXPECT_EQ(made, c.calls);
        EXPECT_EQ(rig.toolsFolderPresent(), c.end != exitButton);
        EXPECT_TRUE(rig.ui.quitPosted());
        EXPECT_FALSE(rig.loop.step());
        EXPECT_EQ(rig.ui.boxes().size(), boxes);
        // However the window went, the program's end leaves no 7-Zip and no tools.
        app::onProgramEnd(rig.state);
        EXPECT_FALSE(sevenZip != 0 && rig.sys.processRunning(sevenZip));
        EXPECT_FALSE(rig.toolsFolderPresent());
    }
}

std::string percent(int n) { return filled(m::kCopyProgress, std::to_string(n)); }

// The copy status: 7-Zip's report (it gives a file its full size when it
// creates it, so the size cannot tell how far the copy is) or else the share
// of the live image, creeping in the last stretch. Before the i-th copy tick
// the image has `sizes[i]` bytes (or the last size) and 7-Zip's log holds `reports[i]`; 7-Zip
// ends after as many ticks as there are texts, with its last report, which shows at once and
// stays while the installer runs.
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
         {350000000, 665000000},
         {},
         {percent(50), percent(96), percent(97), percent(98), percent(99), m::kConfiguring}},
        {"an ISO under 1 MB", win::kIdNo, 500000, {254500}, {}, {percent(50)}},
        {"7-Zip's report wins over the preallocated image",
         win::kIdNo,
         700000000,
         {700000000},
         {"  3% 1 - LiveOS\\squashfs.img\r", " 41% 1 - LiveOS\\squashfs.img\r"},
         {percent(3), percent(41)}},
        {"no image yet: the text after the format stays",
         win::kIdYes,
         700000000,
         {},
         {},
         {m::kPreparing, m::kPreparing}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig("KINGSTON", c.isoBytes);
        rig.children["7z.exe x"].runsForMs = 5000 * c.texts.size() + 1000;
        auto& extraction = rig.children["7z.exe x"].onExit;
        extraction = [&rig, extract = extraction](sim::SimSystem& sys) {
            extract(sys);
            sys.writeHostFile(rig.toolFile("7z-progress.log"), "100% 7 - isolinux\\vmlinuz0\r");
        };
        std::string whileInstalling;
        auto& install = rig.children["syslinux.exe"].onExit;
        install = [&, installer = install](sim::SimSystem& sys) {
            whileInstalling = rig.ui.control(ControlId::kStatusCopy).text;
            installer(sys);
        };
        int lastTimer = 0;
        size_t tick = 0;
        rig.loop.beforeTick = [&](int id) {
            lastTimer = id;
            if (id != 2) return;
            if (tick < c.sizes.size()) rig.sparseFile("G:\\LiveOS\\squashfs.img", c.sizes[tick]);
            if (tick < c.reports.size()) {
                rig.sys.writeHostFile(rig.toolFile("7z-progress.log"), c.reports[tick]);
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
        EXPECT_EQ(whileInstalling, m::kConfiguring);
        test::expectLastBox(rig.ui, m::kDone);
        EXPECT_FALSE(rig.toolsFolderPresent());
    }
}

// Every system call of a whole creation failing, once or for good: the
// creation never claims success or asks on after it showed a failure, never
// claims a stick it did not make, never ends without saying why, never stalls
// with OK disabled and nothing left to happen, and removes its tools and log
// however it ends.
void expectHonestEnd(const UsbRig& rig, const SweepFault& fault) {
    SCOPED_TRACE(rig.messages());
    bool failed = false, succeeded = false;
    for (const auto& box : rig.ui.boxes()) {
        // Neither success nor a new question once a failure was shown.
        if (box.text == m::kDone.text || box.caption == m::kFormatQuestion.caption) {
            EXPECT_FALSE(failed);
        }
        succeeded = succeeded || box.text == m::kDone.text;
        failed = failed || box.caption == m::kError || box.caption == m::kWarning ||
                 box.caption == m::kErrorCaptionLower;
    }
    EXPECT_TRUE(succeeded || failed || !rig.ui.quitPosted()) << "ended without a word";
    if (succeeded) rig.expectBootableTree();
    EXPECT_TRUE(rig.ui.quitPosted() || rig.ui.control(ControlId::kOk).enabled) << "stalled";
    EXPECT_TRUE(rig.ui.timers().empty() || rig.ui.quitPosted());
    // Deleting the tools can only fail where deletes themselves fail.
    const bool toolsMayStay = rig.state.shared.extractionChild != 0 || fault.canStopDeletesOn('C');
    EXPECT_TRUE(toolsMayStay || !rig.toolsFolderPresent());
}

// Every file a clean run leaves on the stick, written wrong without a word (a
// stick that claims more than it holds): each run ends in the read-back's
// error naming a file, never in success.
void sweepCorruptedWrites(const std::string& name, const UsbRig& clean, int answer) {
    const std::filesystem::path root = clean.sys.hostPath("G:\\");
    size_t runs = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string file = entry.path().lexically_relative(root).string();
        // The installer's own files are not compared.
        if (!entry.is_regular_file() || entry.file_size() == 0 ||
            file.find("ldlinux") != std::string::npos) {
            continue;
        }
        std::replace(file.begin(), file.end(), '/', '\\');
        SCOPED_TRACE(file);
        UsbRig rig;
        // Also where the extraction or the staging put it, before the finish
        // moved it to syslinux.
        rig.sys.corruptWrites("G:\\" + file);
        if (file.rfind("syslinux", 0) == 0) {
            rig.sys.corruptWrites("G:\\iso" + file.substr(3));
            rig.sys.corruptWrites("G:\\" + std::string(usb::kStagingFolder) + file.substr(8));
        }
        rig.ui.answerNextBox(answer);
        rig.create();
        test::expectLastBox(rig.ui, m::kStickDiffers, filled(m::kStickDiffers.text, file));
        ++runs;
    }
    std::cout << "[sweep] " << name << ": " << runs << " files written wrong, " << runs
              << " runs\n";
}

TEST(UsbFaults, EachRoute) {
    for (const auto& [name, answer] : {std::pair{"USB creation, format route", win::kIdYes},
                                       std::pair{"USB creation, relabel route", win::kIdNo}}) {
        UsbRig clean;
        const size_t before = clean.sys.calls().size();
        clean.ui.answerNextBox(answer);
        clean.create();
        ASSERT_EQ(clean.ui.boxes().back().text, m::kDone.text);
        // The boot files were written while 7-Zip ran and only moved into place
        // after it; the folder that held them is gone.
        const auto& calls = clean.sys.calls();
        EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const sim::Call& call) {
            return call.op == sim::Op::kReplaceFile && call.path == "G:\\syslinux\\syslinux.cfg";
        }));
        EXPECT_FALSE(
            std::filesystem::exists(clean.sys.hostPath("G:\\" + std::string(usb::kStagingFolder))));
        ASSERT_GT(clean.sys.calls().size(), before + 20);
        test::sweepEachCall(name, clean.sys.calls(), before + 1, [&](const SweepFault& fault) {
            UsbRig rig;
            fault.arm(rig.sys);
            rig.ui.answerNextBox(answer);
            rig.create();
            expectHonestEnd(rig, fault);
        });
        sweepCorruptedWrites(std::string(name) + ", a stick keeping other bytes", clean, answer);
    }
}

}  // namespace
}  // namespace kh
