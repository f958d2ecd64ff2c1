// The state of the USB media creation and the helpers every step shares: the
// fixed target drive, the controls locked while the creation runs, message
// boxes and how a creation ends.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "common/shared_state.h"

namespace kh::usb {

// kChecking: the drive is confirmed and being checked; kFormatting: the
// format child and its watch run; kExtracting: 7-Zip extracts, and once its
// copy timer has seen it end, the boot files are set up; kEnded: over, quit
// requested.
enum class UsbStage { kIdle, kChecking, kFormatting, kExtracting, kEnded };

// What tells the drive the user confirmed from another one later given the
// same letter: the serial number its format gave the volume, and its size.
struct DriveIdentity {
    uint32_t serial = 0;
    uint64_t bytes = 0;
};
bool operator==(const DriveIdentity& a, const DriveIdentity& b);

struct UsbSession {
    UsbStage stage = UsbStage::kIdle;
    // The drive confirmed when the creation started; fixed from then on.
    std::optional<char> target;
    // The target's identity when it was checked, before the format question.
    std::optional<DriveIdentity> identity;
    std::string isoPath;  // as the window accepted it
    uint64_t isoBytes = 0;
    // Added to the percentage once it reaches 95, one more each tick, so that
    // the last stretch of the copy still shows movement.
    int creepCounter = 1;
    ProcessHandle formatChild = 0;
    // 7-Zip's technical listing of the ISO: what the stick is read back against.
    std::string listing;
    // The folder on the stick that holds the boot files written during the
    // extraction; empty when none does.
    std::string stagingFolder;
};

// What the USB media creation acts on: the shared state (its two seams named
// here as well) and the session of the creation under way.
struct UsbState {
    explicit UsbState(SharedState& common) : shared(common), sys(common.sys), ui(common.ui) {}

    SharedState& shared;
    SystemServices& sys;
    UserInterface& ui;
    UsbSession session;
};

inline constexpr int kFormatWatchTimer = 1;
inline constexpr uint64_t kBytesPerMb = 1000000;
inline constexpr int kCopyTimer = 2;

// "G:\" followed by `rest`, on the drive confirmed when the creation started.
std::string onTarget(const UsbState& state, const std::string& rest = std::string());
// "G:", the drive as the command-line tools name it.
std::string targetDrive(const UsbState& state);

// Fixes the drive for the whole creation and locks every control that could
// change the drive, the ISO or the mode while it runs.
void lockTarget(UsbState& state, char letter);
// A creation refused before it changed the drive: the tools written so far
// are removed and the window is ready for another attempt.
void returnToIdle(UsbState& state);
// The creation is over for good, however it went: the tools and the progress
// log are removed (unless a 7-Zip that would not stop still holds them) and
// the program ends.
void endCreation(UsbState& state);

// `pattern` with its "%d" replaced by `number`.
std::string withNumber(const char* pattern, uint64_t number);
// `pattern` with each "%s" replaced by the next of `texts`, in one pass: a
// text that holds "%s" itself (a volume label may) stays as it is.
std::string withTexts(const char* pattern, std::initializer_list<std::string> texts);

// The identity of the drive now under the target's letter; nothing when it
// does not answer (pulled, no medium).
std::optional<DriveIdentity> targetIdentity(UsbState& state);
// True when the drive under the target's letter is still the one checked.
bool targetUnchanged(UsbState& state);

// Relabels the target drive (SetVolumeLabelA). A failure is not reported
// here: the label is read back where it matters.
void relabelTarget(UsbState& state, const char* label);

}  // namespace kh::usb
