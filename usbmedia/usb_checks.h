// What is checked between the OK button and the format question: the ISO, the
// drive (which becomes the fixed target), its free space, and whether every
// file of the ISO fits on FAT32.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "usbmedia/session.h"

namespace kh::usb {

// With the ISO path already accepted by the window: true when the creation may
// go on to the format question; the target drive is then fixed and the tool
// payloads are written. A refusal shows its message and leaves the window
// ready for another attempt (or ending, when a message requested that).
bool passesChecks(UsbState& state, const std::string& isoPath, std::optional<char> drive);

}  // namespace kh::usb
