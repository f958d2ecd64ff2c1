// Helpers every step of the USB media creation shares: the fixed target drive,
// the controls locked while the creation runs, message boxes, how a creation
// ends, and children that are run to their end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/app_state.h"

namespace kh::usb {

inline constexpr int kFormatWatchTimer = 1;
inline constexpr int kCopyTimer = 2;

// "G:\" followed by `rest`, on the drive confirmed when the creation started.
std::string onTarget(const AppState& state, const std::string& rest = std::string());
// "G:", the drive as the command-line tools name it.
std::string targetDrive(const AppState& state);

// Fixes the drive for the whole creation and locks every control that could
// change the drive, the ISO or the mode while it runs.
void lockTarget(AppState& state, char letter);
// A creation refused before it changed the drive: the tools written so far
// are removed and the window is ready for another attempt.
void returnToIdle(AppState& state);
// The creation is over for good, however it went: the tools and the progress
// log are removed (unless a 7-Zip that would not stop still holds them) and
// the program ends.
void endCreation(AppState& state);

int box(AppState& state, const char* text, const char* caption, unsigned flags);
void showError(AppState& state, const char* text);

// `pattern` with its "%d" replaced by `number`.
std::string withNumber(const char* pattern, uint64_t number);

// Starts a hidden child and waits for it at most `milliseconds`, keeping the
// window painted when asked; a child still running then is terminated. The
// exit code, or nothing when it could not be started or did not end in time.
std::optional<uint32_t> runToEnd(AppState& state, const std::string& commandLine,
                                 uint32_t milliseconds, bool keepPainted);

// Relabels the target drive (SetVolumeLabelA). A failure is not reported
// here: the label is read back where it matters.
void relabelTarget(AppState& state, const char* label);

}  // namespace kh::usb
