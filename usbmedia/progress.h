// The copy timer: the percentage shown while 7-Zip extracts, taken from
// 7-Zip's own report (or, without one, judged by the size of the live image on
// the drive); and the end of the extraction, which the message loop reports
// as soon as 7-Zip has ended, not at the next tick.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "usbmedia/session.h"

namespace kh::usb {

// squashfs bytes as a whole percentage of the ISO bytes (0 for an empty ISO).
uint64_t rawPercent(uint64_t imageBytes, uint64_t isoBytes);

// The status text for `raw`, advancing `creepCounter` in the last stretch.
std::string progressText(uint64_t raw, int& creepCounter);

// The percentage 7-Zip has reached, on the status line.
void showProgress(UsbState& state);
// 7-Zip has ended: the finish, or the extraction's failure.
void onExtractionEnded(UsbState& state);

}  // namespace kh::usb
