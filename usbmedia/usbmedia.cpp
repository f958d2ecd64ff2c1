#include "usbmedia/usbmedia.h"

#include "usbmedia/format_watch.h"
#include "usbmedia/progress.h"
#include "usbmedia/session.h"
#include "usbmedia/usb_checks.h"
#include "verify/iso_check.h"

namespace kh::usb {

namespace {

// The last check before the format question: a damaged download is refused
// while the stick is still as it was.
bool isoMatchesChecksum(UsbState& state) {
    switch (verify::checkIsoBeforeChanges(state.shared, state.session.isoPath,
                                          ControlId::kStatusCopy)) {
        case verify::IsoCheck::kPassed:
            return true;
        case verify::IsoCheck::kRefused:
            returnToIdle(state);
            return false;
        case verify::IsoCheck::kStopped:
            endCreation(state);
            return false;
    }
    return false;
}

}  // namespace

void startUsbMedia(UsbState& state, const UsbRequest& request) {
    if (passesChecks(state, request.isoPath, request.drive) && isoMatchesChecksum(state)) {
        askToFormat(state);
    }
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
