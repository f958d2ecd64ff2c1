// The USB media creation as the window drives it: the OK button, the posted
// start-format message, the two timers and the end of the watched 7-Zip.
#pragma once

#include "usbmedia/session.h"

namespace kh::usb {

// The OK button in USB mode, once the window has taken the ISO path: checks,
// then the format question.
void startUsbMedia(UsbState& state);
void onStartFormat(UsbState& state);
void onTimer(UsbState& state, int timerId);
// The process handed to UserInterface::watchProcess has ended.
void onProcessEnded(UsbState& state);

}  // namespace kh::usb
