// Placeholder until the USB media procedure lands.
#include "app/handover.h"

namespace kh::usb {
void startUsbMedia(AppState&) {}
void onStartFormat(AppState&) {}
void onTimer(AppState&, int) {}
}  // namespace kh::usb
