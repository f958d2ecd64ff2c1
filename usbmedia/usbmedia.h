// The USB media creation as the window drives it: the OK button, the posted
// start-format message and the two timers.
#pragma once

#include "usbmedia/session.h"

namespace kh::usb {

// The OK button in USB mode, once the window has taken the ISO path: checks,
// then the format question.
void startUsbMedia(UsbState& state);
void onStartFormat(UsbState& state);
void onTimer(UsbState& state, int timerId);

}  // namespace kh::usb
