#include "usbmedia/format_watch.h"

#include "common/child_process.h"
#include "common/report.h"
#include "common/texts.h"
#include "platform/winconst.h"
#include "usbmedia/iso_extraction.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

// The label a finished format gives the drive; the watch recognises the end of
// the format by it.
constexpr const char* kBootLabel = "BOOT";
constexpr const char* kOtherLabel = "BOOTS";
// Short, so that the extraction starts soon after the format has ended; a
// label read is cheap.
constexpr unsigned kFormatWatchMs = 50;

// format asks for a confirmation, which cmd's pipe gives. format.com is
// named by its full path: cmd would look in its current folder first.
ChildCommand formatCommand(UsbState& state) {
    const std::string format = state.sys.systemDirectory() + "\\format.com";
    return throughCmd(state.sys,
                      "echo yes|\"" + format + "\" /FS:fat32 /V:BOOT " + targetDrive(state));
}

bool labelIsBoot(UsbState& state) {
    return state.sys.volumeLabel(*state.session.target) == std::optional<std::string>(kBootLabel);
}

bool formatChildEnded(UsbState& state) {
    const auto code = state.sys.exitCode(state.session.formatChild);
    return !code || *code != win::kStillActive;
}

void releaseFormatChild(UsbState& state) {
    if (state.session.formatChild == 0) return;
    state.sys.closeProcess(state.session.formatChild);
    state.session.formatChild = 0;
}

void failFormat(UsbState& state) {
    state.ui.killTimer(kFormatWatchTimer);
    state.ui.show(ControlId::kStatusFormat, false);
    releaseFormatChild(state);
    show(state.shared, msg::kFormatFailed);
    endCreation(state);
}

void formatDone(UsbState& state) {
    state.ui.killTimer(kFormatWatchTimer);
    state.ui.show(ControlId::kStatusFormat, false);
    releaseFormatChild(state);
    show(state.shared, msg::kFormatDone);
    state.ui.setText(ControlId::kStatusCopy, msg::kPreparing);
    startIsoExtraction(state);
}

void formatRoute(UsbState& state) {
    // A drive already labelled BOOT would look formatted at once.
    if (labelIsBoot(state)) {
        relabelTarget(state, kOtherLabel);
        if (labelIsBoot(state)) {
            show(state.shared, msg::kFormatFailed);
            endCreation(state);
            return;
        }
    }
    state.session.stage = UsbStage::kFormatting;
    state.ui.show(ControlId::kStatusFormat, true);
    state.ui.setTimer(kFormatWatchTimer, kFormatWatchMs);
    state.ui.postStartFormat();
}

}  // namespace

void askToFormat(UsbState& state) {
    const int answer = show(state.shared, msg::kFormatQuestion);
    if (answer == win::kIdYes) {
        formatRoute(state);
    } else if (answer == win::kIdNo) {
        relabelTarget(state, kBootLabel);
        // syslinux.cfg boots root=LABEL=BOOT: without that label the stick
        // cannot boot, so nothing is extracted onto it.
        if (!labelIsBoot(state)) {
            show(state.shared, msg::kFormatFailed);
            endCreation(state);
            return;
        }
        startIsoExtraction(state);
    }
}

void startFormat(UsbState& state) {
    if (state.session.stage != UsbStage::kFormatting || labelIsBoot(state)) return;
    state.session.formatChild = startChild(state.shared, formatCommand(state));
    if (state.session.formatChild == 0) failFormat(state);
}

void watchFormat(UsbState& state) {
    if (state.session.stage != UsbStage::kFormatting) return;
    if (labelIsBoot(state)) {
        formatDone(state);
    } else if (state.session.formatChild != 0 && formatChildEnded(state)) {
        // The label may have been written just after it was read.
        if (labelIsBoot(state)) {
            formatDone(state);
        } else {
            failFormat(state);
        }
    }
}

}  // namespace kh::usb
