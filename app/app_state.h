// Everything the window's handlers share for the life of the program, and the
// two platform seams they act through.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hdinstall/partition_table.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace kh {

struct SystemDrive {
    char letter = 'C';
    std::string bootIniPath = "c:\\boot.ini";
    // Zero-based menu partition number of the system volume; empty when no
    // volume lies on an active partition.
    std::optional<unsigned> partitionIndex;
};

// kChecking: the drive is confirmed and being checked; kFormatting: the
// format child and its watch run; kExtracting: 7-Zip and the copy timer run;
// kFinishing: the boot files are being set up; kEnded: over, quit requested.
enum class UsbStage { kIdle, kChecking, kFormatting, kExtracting, kFinishing, kEnded };

struct UsbSession {
    UsbStage stage = UsbStage::kIdle;
    // The drive confirmed when the creation started; fixed from then on.
    std::optional<char> target;
    uint64_t isoBytes = 0;
    // Added to the percentage once it reaches 95, one more each tick, so that
    // the last stretch of the copy still shows movement.
    int creepCounter = 1;
    ProcessHandle formatChild = 0;
};

struct AppState {
    AppState(SystemServices& system, UserInterface& window) : sys(system), ui(window) {}

    SystemServices& sys;
    UserInterface& ui;

    hd::PartitionTable partitions;  // physical drive 0, read at start-up
    SystemDrive systemDrive;
    bool bootEntryPresent = false;

    std::string isoPath;  // the last choice of the open-file dialog

    UsbSession usb;
    ProcessHandle extractionChild = 0;   // the tracked 7-Zip extraction
    std::vector<std::string> toolPaths;  // tool payloads written next to the program
};

}  // namespace kh
