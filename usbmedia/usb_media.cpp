// The USB media creation as the window drives it: the OK button, the posted
// start-format message and the two timers.
#include "app/handover.h"
#include "usbmedia/format_watch.h"
#include "usbmedia/progress.h"
#include "usbmedia/session.h"
#include "usbmedia/usb_checks.h"

namespace kh::usb {

void startUsbMedia(AppState& state) {
    if (passesChecks(state)) askToFormat(state);
}

void onStartFormat(AppState& state) { startFormat(state); }

void onTimer(AppState& state, int timerId) {
    if (timerId == kFormatWatchTimer) {
        watchFormat(state);
    } else if (timerId == kCopyTimer) {
        onCopyTimer(state);
    }
}

}  // namespace kh::usb
