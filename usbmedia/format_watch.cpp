#include "usbmedia/format_watch.h"

#include "platform/winconst.h"
#include "usbmedia/iso_extraction.h"
#include "usbmedia/messages.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

// The label a finished format gives the drive; the watch recognises the end of
// the format by it.
constexpr const char* kBootLabel = "BOOT";
constexpr const char* kOtherLabel = "BOOTS";
constexpr unsigned kFormatWatchMs = 500;
constexpr uint32_t kStatusSettleMs = 100;

bool labelIsBoot(AppState& state) {
    return state.sys.volumeLabel(*state.usb.target) == std::optional<std::string>(kBootLabel);
}

bool formatChildEnded(AppState& state) {
    const auto code = state.sys.exitCode(state.usb.formatChild);
    return !code || *code != win::kStillActive;
}

void releaseFormatChild(AppState& state) {
    if (state.usb.formatChild == 0) return;
    state.sys.closeProcess(state.usb.formatChild);
    state.usb.formatChild = 0;
}

void failFormat(AppState& state) {
    state.ui.killTimer(kFormatWatchTimer);
    state.ui.show(ControlId::kStatusFormat, false);
    releaseFormatChild(state);
    showError(state, msg::kFormatFailed);
    endCreation(state);
}

void formatDone(AppState& state) {
    state.ui.killTimer(kFormatWatchTimer);
    state.ui.show(ControlId::kStatusFormat, false);
    releaseFormatChild(state);
    box(state, msg::kFormatDone, msg::kNotice, win::kMbIconInformation);
    state.ui.setText(ControlId::kStatusCopy, msg::kPreparing);
    startIsoExtraction(state);
}

void formatRoute(AppState& state) {
    // A drive already labelled BOOT would look formatted at once.
    if (labelIsBoot(state)) {
        relabelTarget(state, kOtherLabel);
        if (labelIsBoot(state)) {
            showError(state, msg::kFormatFailed);
            endCreation(state);
            return;
        }
    }
    state.usb.stage = UsbStage::kFormatting;
    state.ui.show(ControlId::kStatusFormat, true);
    state.sys.sleep(kStatusSettleMs);
    state.ui.setTimer(kFormatWatchTimer, kFormatWatchMs);
    state.ui.postStartFormat();
}

}  // namespace

void askToFormat(AppState& state) {
    const int answer =
        box(state, msg::kFormatQuestion, msg::kFormatCaption, win::kMbYesNo | win::kMbIconQuestion);
    if (answer == win::kIdYes) {
        formatRoute(state);
    } else if (answer == win::kIdNo) {
        relabelTarget(state, kBootLabel);
        // syslinux.cfg boots root=LABEL=BOOT: without that label the stick
        // cannot boot, so nothing is extracted onto it.
        if (!labelIsBoot(state)) {
            showError(state, msg::kFormatFailed);
            endCreation(state);
            return;
        }
        startIsoExtraction(state);
    }
}

void startFormat(AppState& state) {
    if (state.usb.stage != UsbStage::kFormatting || labelIsBoot(state)) return;
    const std::string drive = targetDrive(state);
    state.usb.formatChild =
        state.sys.startProcess("cmd /c echo yes|format /FS:fat32 /V:BOOT " + drive);
    if (state.usb.formatChild == 0) failFormat(state);
}

void watchFormat(AppState& state) {
    if (state.usb.stage != UsbStage::kFormatting) return;
    if (labelIsBoot(state)) {
        formatDone(state);
    } else if (state.usb.formatChild != 0 && formatChildEnded(state)) {
        // The label may have been written just after it was read.
        if (labelIsBoot(state)) {
            formatDone(state);
        } else {
            failFormat(state);
        }
    }
}

}  // namespace kh::usb
