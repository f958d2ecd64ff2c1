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

// Which event moves the creation on in which stage; every other pairing is
// ignored (a late tick, a message another process posted).

void onStartFormat(UsbState& state) {
    // Once: a second message while the format runs starts no second format.
    if (state.session.stage == UsbStage::kFormatting && state.session.formatChild == 0) {
        startFormat(state);
    }
}

void onTimer(UsbState& state, int timerId) {
    const UsbStage stage = state.session.stage;
    if (timerId == kFormatWatchTimer && stage == UsbStage::kFormatting) {
        watchFormat(state);
    } else if (timerId == kCopyTimer && stage == UsbStage::kExtracting) {
        showProgress(state);
    }
}

void onProcessEnded(UsbState& state) {
    if (state.session.stage == UsbStage::kExtracting) onExtractionEnded(state);
}

}  // namespace kh::usb
