// A machine ready for the USB media creation: drive G: removable, the ISO, the
// program's resources, the window created in USB mode, and scripted children
// that behave like the real tools (7-Zip lists and extracts, format changes
// the label, the installer ends).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "app/commands.h"
#include "app/window_events.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"
#include "tests/support/sim_loop.h"
#include "usbmedia/messages.h"
#include "usbmedia/usbmedia.h"

namespace kh::test {

inline constexpr const char* kIso = "C:\\isos\\live.iso";
inline constexpr const char* kListCommand = "7z.exe l -slt \"C:\\isos\\live.iso\"";
inline constexpr const char* kExtractCommand =
    "7z.exe x -y -bsp1 -oG:\\ \"C:\\isos\\live.iso\" -x![BOOT]";
inline constexpr const char* kFormatCommand = "cmd /c echo yes|format /FS:fat32 /V:BOOT G:";
inline constexpr const char* kInstallCommand = "syslinux.exe -sfmar G:";

// A 7-Zip technical listing of items with the given sizes.
inline std::string listing(std::initializer_list<uint64_t> sizes) {
    std::string out =
        "Path = C:\\isos\\live.iso\r\nType = Iso\r\nPhysical Size = 1\r\n"
        "\r\n----------\r\n";
    int n = 0;
    for (uint64_t size : sizes) {
        out += "Path = file" + std::to_string(n++) +
               "\r\nFolder = -\r\nSize = " + std::to_string(size) +
               "\r\nPacked Size = " + std::to_string(size) + "\r\n\r\n";
    }
    return out;
}

struct UsbRig : SimEnv {
    explicit UsbRig(const std::string& label = "KINGSTON", uint64_t isoBytes = 700000000) {
        addRemovable('G', label);
        sys.setResource(129, "7z.exe bytes");
        sys.setResource(130, "7z.dll bytes");
        sys.setResource(138, "syslinux.exe bytes");
        sys.setResource(139, "default vesamenu.c32\n");
        sys.setResource(160, "vesamenu of this build");
        sys.setResource(161, "libcom32 of this build");
        sys.setResource(162, "libutil of this build");
        sparseFile(kIso, isoBytes);

        children["7z.exe l"] = SimProcess{false, 500, 0, listing({300000000, 4096}), nullptr};
        children["7z.exe x"] =
            SimProcess{false, 12000, 0, "", [](sim::SimSystem& s) { writeIsoTree(s); }};
        children["cmd /c"] =
            SimProcess{false, 3000, 0, "", [](sim::SimSystem& s) { s.volume('G').label = "BOOT"; }};
        children["syslinux.exe"] = SimProcess{false, 4000, 0, "", nullptr};
        sys.processBehaviour = [this](const std::string& command) { return behaviour(command); };

        app::onCreate(state);
        app::onCommand(state, static_cast<int>(ControlId::kModeUsb));
        ui.typeIsoPath(kIso);
    }

    using SimProcess = sim::SimProcess;

    static void writeIsoTree(sim::SimSystem& s) {
        s.writeHostFile("G:\\isolinux\\vmlinuz0", "kernel");
        s.writeHostFile("G:\\isolinux\\initrd0.img", "initrd0");
        s.writeHostFile("G:\\isolinux\\initrd4disk.img", "initrd4disk");
        s.writeHostFile("G:\\isolinux\\vesamenu.c32", "vesamenu of the ISO");
        s.writeHostFile("G:\\LiveOS\\squashfs.img", "image");
    }

    void sparseFile(const std::string& path, uint64_t bytes) {
        sys.writeHostFile(path, "");
        std::filesystem::resize_file(sys.hostPath(path), bytes);
    }

    sim::SimProcess behaviour(const std::string& command) {
        for (const auto& [prefix, process] : children) {
            if (command.rfind(prefix, 0) == 0) return process;
        }
        return SimProcess{true, 0, 0, "", nullptr};
    }

    void command(ControlId id) { app::onCommand(state, static_cast<int>(id)); }
    void pressOk() { command(ControlId::kOk); }
    void create() {
        pressOk();
        loop.run();
    }

    // The tools or 7-Zip's progress log next to the program.
    bool toolsPresent() const {
        for (const char* name : {"7z.exe", "7z.dll", "syslinux.exe", "7z-progress.log"}) {
            if (sys.readHostFile(std::string("C:\\tools\\") + name)) return true;
        }
        return false;
    }

    // What a finished creation leaves on G:.
    void expectBootableTree() const {
        EXPECT_FALSE(sys.readHostFile("G:\\isolinux\\vmlinuz0"));
        EXPECT_EQ(sys.readHostFile("G:\\syslinux\\vmlinuz0"), "kernel");
        EXPECT_EQ(sys.readHostFile("G:\\syslinux\\initrd0.img"), "initrd0");
        EXPECT_EQ(sys.readHostFile("G:\\vmlinuz0"), "kernel");
        EXPECT_EQ(sys.readHostFile("G:\\initrd4disk.img"), "initrd4disk");
        EXPECT_EQ(sys.readHostFile("G:\\syslinux\\syslinux.cfg"), "default vesamenu.c32\n");
        // The ISO's own module is replaced by the one of the installer's build.
        EXPECT_EQ(sys.readHostFile("G:\\syslinux\\vesamenu.c32"), "vesamenu of this build");
        EXPECT_EQ(sys.readHostFile("G:\\syslinux\\libcom32.c32"), "libcom32 of this build");
        EXPECT_EQ(sys.readHostFile("G:\\syslinux\\libutil.c32"), "libutil of this build");
    }

    std::map<std::string, SimProcess> children;  // by command prefix
    SimLoop loop{*this};
};

}  // namespace kh::test
