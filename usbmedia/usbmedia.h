// The USB media creation as the window drives it: the OK button, the posted
// start-format message, the two timers and the end of the watched 7-Zip. The
// stages (session.h) and which event moves each on are decided here alone.
#pragma once

#include <optional>
#include <string>

#include "usbmedia/session.h"

namespace kh::usb {

// What the window hands over: the ISO path it accepted and the drive chosen
// in its list (none when the list is empty).
struct UsbRequest {
    std::string isoPath;
    std::optional<char> drive;
};

// The OK button in USB mode: checks, then the format question.
void startUsbMedia(UsbState& state, const UsbRequest& request);
void onStartFormat(UsbState& state);
void onTimer(UsbState& state, int timerId);
// The process handed to UserInterface::watchProcess has ended.
void onProcessEnded(UsbState& state);

}  // namespace kh::usb
