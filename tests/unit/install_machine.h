// A machine for the hard-disk install and restore tests: C: (primary, active,
// Linux 1) holds Windows and boot.ini; D: and E: are logical drives of an
// extended partition (Linux 5 and 6). The program's resources are small fake
// files except the real sample menu; 7-Zip is scripted to list, extract and
// stream the ISO's kernel and initrd.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/window_events.h"
#include "common/live_iso.h"
#include "hdinstall/installed_files.h"
#include "hdinstall/startup_checks.h"
#include "payloads/catalogue.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh::test {

inline const std::string kIsoInFolder = "D:\\iso\\live.iso";
inline const std::string kIsoInRoot = "D:\\live.iso";
inline const std::string kBootIni = "C:\\boot.ini";
// How boot files are marked: read-only, hidden, system.
inline constexpr uint32_t kMarked = win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem;

// Everything the install puts on the system drive C:; the second stage and its
// block only when the program carries them.
inline std::vector<std::string> installedPaths(bool withSecondStage) {
    std::vector<std::string> paths;
    for (const char* name : hd::installed::kAll) {
        const std::string file = name;
        if (withSecondStage ||
            (file != hd::installed::kG2ldr && file != hd::installed::kDefaultEntry)) {
            paths.push_back(hd::installed::onDrive('C', name));
        }
    }
    return paths;
}
inline const std::vector<std::string> kInstalledFiles = installedPaths(false);

// An ISO 9660 image as far as the install reads it: the primary volume
// descriptor with the label the menu entry names.
inline std::string isoImage(std::string label = live::kLabel) {
    std::string image(16 * 2048 + 2048, '\0');
    label.resize(32, ' ');
    return image.replace(16 * 2048, 6, "\1CD001").replace(16 * 2048 + 40, 32, label);
}
inline const std::string kIsoImage = isoImage();
// What 7-Zip lists and extracts of it: the kernel, then the initrd.
inline const std::string kIsoListing =
    "Path = C:\\live.iso\r\nType = Iso\r\n\r\n----------\r\n"
    "Path = isolinux\\vmlinuz0\r\nSize = 18\r\n\r\n"
    "Path = isolinux\\initrd4disk.img\r\nSize = 25\r\n";

// Another GRUB-based boot tool already on C:: its loader (hidden, system,
// read-only), its menu, and a boot.ini line with a Chinese title that starts it.
inline void plantOtherTool(sim::SimSystem& sys) {
    sys.writeHostFile("C:\\grldr", "other-grldr");
    sys.setAttributes("C:\\grldr", kMarked);
    sys.writeHostFile("C:\\menu.lst", "title 一键还原\r\n");
    sys.writeHostFile("C:\\boot.ini",
                      *sys.readHostFile("C:\\boot.ini") + "C:\\grldr=\"一键还原\"\r\n");
}

// 7-Zip that runs `runsForMs` and, when it ends with a usable exit code,
// lists the ISO or leaves the kernel and the initrd in the folder after -o
// (the install's command line is pinned in install_flow_test.cpp).
inline sim::SimProcess sevenZipRun(const std::string& commandLine, uint64_t runsForMs = 2500,
                                   uint32_t exitCode = 0) {
    sim::SimProcess process;
    process.runsForMs = runsForMs;
    process.exitCode = exitCode;
    if (commandLine.find(" l -slt ") != std::string::npos) {
        process.output = kIsoListing;
        process.runsForMs = 0;
        return process;
    }
    // The stream the read-back compares the extracted files with, in the listing's order.
    if (commandLine.find(" x -so ") != std::string::npos) {
        process.runsForMs = 0;
        process.stream = "extracted vmlinuz0extracted initrd4disk.img";
        return process;
    }
    const size_t target = commandLine.find(" -o");
    if (target == std::string::npos || exitCode > 1) return process;
    const std::string folder =
        commandLine.substr(target + 3, commandLine.find(' ', target + 3) - target - 3) + "\\";
    process.onExit = [folder](sim::SimSystem& sys) {
        for (const std::string name : {"vmlinuz0", "initrd4disk.img"}) {
            sys.writeHostFile(folder + name, "extracted " + name);
        }
    };
    return process;
}

struct InstallMachine : SimEnv {
    InstallMachine() {
        disk = blankDisk(2048);
        writeTable(disk, 0, {{0x07, 63, 900, true}, {0x0F, 1000, 1000}});
        writeTable(disk, 1000, {{0x07, 63, 400}, {0x05, 500, 500}});
        writeTable(disk, 1500, {{0x0B, 63, 400}});
        sys.setDiskImage(disk);
        // Windows numbers its volumes its own way; the menu must not use them.
        addVolume('D', 2, 1063, false);
        addVolume('E', 3, 1563, false);

        sys.setResource(payloads::kSevenZipExe, "7z-exe");
        sys.setResource(payloads::kSevenZipDll, "7z-dll");
        sys.setResource(payloads::kGrldr, "grldr-loader");
        sys.setResource(payloads::kSampleMenu, sampleMenu());
        sys.setResource(payloads::kFonts, "font-table");
        sys.setResource(payloads::kSplashImage, "/* XPM */");
        sys.processBehaviour = [](const std::string& line) { return sevenZipRun(line); };
        sys.writeHostFile(kIsoInFolder, kIsoImage);
    }

    // The first disk's image; a change counts once setDiskImage(disk) is called.
    std::string disk;

    // Creates the main window as at program start.
    void start() {
        app::onCreate(state);
        ASSERT_FALSE(ui.quitPosted()) << messages();
    }

    // The program as built here, with the GRUB 2 based loader.
    void carrySecondStage() {
        sys.setResource(payloads::kG2ldr, "g2ldr-stage");
        sys.setResource(payloads::kDefaultEntry, "# GRUB Environment Block\n###");
    }

    void installFrom(const std::string& isoPath) {
        ui.typeIsoPath(isoPath);
        app::onCommand(state, static_cast<int>(ControlId::kOk));
    }

    std::string file(const std::string& path) const {
        return sys.readHostFile(path).value_or("<missing>");
    }
    bool exists(const std::string& path) const { return sys.readHostFile(path).has_value(); }
};

}  // namespace kh::test
