// A simulated Windows with the program's state on top, and builders for the
// disks and scenarios the tests share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "common/report.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"

namespace kh::test {

// One slot of a master boot record or an extended boot record.
struct SlotSpec {
    uint8_t type = 0;
    uint32_t firstSector = 0;
    uint32_t sectorCount = 0;
    bool active = false;
};

// A disk image of `sectors` sectors whose sector `at` holds the given slots.
void writeTable(std::string& image, uint64_t atSector, const std::vector<SlotSpec>& slots);
std::string blankDisk(uint64_t sectors);

// The bytes of a file of the host, and the sample menu the program carries.
std::string fileBytes(const std::filesystem::path& path);
std::string sampleMenu();

// A machine with drive C: on the first partition (active, holding boot.ini),
// a disk whose only partition is that one, the program in C:\tools beside a
// 7-Zip of the user's own, a folder of the program's name already in the
// temporary folder, and the main window not yet created.
struct SimEnv {
    SimEnv();
    // Checks that every child handle was closed exactly once, except those
    // the program still tracks (a child that would not stop); that every
    // child was started by full path from the system or the tools folder, in
    // the system folder; and that the user's files and folder are untouched.
    ~SimEnv();
    sim::SimSystem sys;
    sim::SimUi ui{sys};
    AppState state{sys, ui};

    // Makes `letter` a volume on the partition starting at `firstSector`.
    void addVolume(char letter, uint32_t partitionNumber, uint32_t firstSector, bool active,
                   DriveType type = DriveType::kFixed);
    void addRemovable(char letter, const std::string& label = "");
    std::string messages() const;  // every box text, one a line
    // Names of everything in the root of `drive`, sorted.
    std::vector<std::string> rootFiles(char drive) const;
    // Names of the program's temporary files ("~kh-...") in the root of `drive`.
    std::vector<std::string> temporaryFiles(char drive = 'C') const;
    // The folder the program made for its tools (the last it tried to make),
    // a file in it, and whether it is still there.
    std::string toolsFolder() const;
    std::string toolFile(const std::string& name) const { return toolsFolder() + "\\" + name; }
    bool toolsFolderPresent() const { return std::filesystem::exists(sys.hostPath(toolsFolder())); }
};

// The box at `index` was `message` (its text, caption, flags and owner), or
// `message` with `text` in place of its own when `text` is not empty.
void expectBox(const sim::SimUi& ui, size_t index, const Message& message,
               const std::string& text = {});
void expectLastBox(const sim::SimUi& ui, const Message& message, const std::string& text = {});

// The one box shown was `message`, and the end of the program was requested.
void expectOnlyFailureBox(const SimEnv& env, const Message& message);

}  // namespace kh::test
