// The procedures the OK command and the window's messages hand over to.
#pragma once

#include "app/app_state.h"

namespace kh {

namespace hd {
void runInstall(AppState& state);
void runRestore(AppState& state);
}  // namespace hd

namespace usb {
void startUsbMedia(AppState& state);
void onStartFormat(AppState& state);
void onTimer(AppState& state, int timerId);
// Ends the tracked extraction child and waits briefly for it to be gone.
void stopExtractionChild(AppState& state, bool waitForEnd);
void deleteToolPayloads(AppState& state);
}  // namespace usb

}  // namespace kh
