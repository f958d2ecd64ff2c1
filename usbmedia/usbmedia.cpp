#include "usbmedia/usbmedia.h"

#include "usbmedia/format_watch.h"
#include "usbmedia/progress.h"
#include "usbmedia/session.h"
#include "usbmedia/usb_checks.h"

namespace kh::usb {

void startUsbMedia(UsbState& state, const UsbRequest& request) {
    if (passesChecks(state, request.isoPath, request.drive)) askToFormat(state);
}

void onStartFormat(UsbState& state) { startFormat(state); }

void onTimer(UsbState& state, int timerId) {
    if (timerId == kFormatWatchTimer) {
        watchFormat(state);
    } else if (timerId == kCopyTimer) {
        onCopyTimer(state);
    }
}

void onProcessEnded(UsbState& state) { onExtractionEnded(state); }

}  // namespace kh::usb
