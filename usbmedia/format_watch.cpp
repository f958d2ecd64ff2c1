#include "usbmedia/format_watch.h"

#include "common/child_process.h"
#include "common/live_iso.h"
#include "common/report.h"
#include "common/texts.h"
#include "platform/winconst.h"
#include "usbmedia/iso_extraction.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

// A finished format gives the drive the stick's label (live_iso.h); the watch
// recognises the end of the format by it. A drive that already has it is
// relabelled to this first.
constexpr const char* kOtherLabel = "BOOTS";
// Short, so that the extraction starts soon after the format has ended; a
// label read is cheap.
constexpr unsigned kFormatWatchMs = 50;
constexpr uint64_t kBytesPerGb = 1000 * kBytesPerMb;

// In the decimal units a drive is sold by: "7.4 GB", whole megabytes below
// 1 GB.
std::string sizeText(uint64_t bytes) {
    if (bytes < kBytesPerGb) return std::to_string(bytes / kBytesPerMb) + " MB";
    const uint64_t tenths = (bytes + kBytesPerGb / 20) / (kBytesPerGb / 10);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " GB";
}

// "G:（STICK，7.4 GB）": what a Yes wipes, as the user knows the drive.
std::string targetDescription(UsbState& state) {
    const std::string label = state.sys.volumeLabel(*state.session.target).value_or("");
    const std::string size = sizeText(state.session.identity ? state.session.identity->bytes : 0);
    if (label.empty()) return withTexts(msg::kDriveUnlabelled, {targetDrive(state), size});
    return withTexts(msg::kDriveLabelled, {targetDrive(state), label, size});
}

// The drive under the letter is not the one the question named: nothing is
// done to it, and the window is ready for another choice.
void refuseChangedDrive(UsbState& state) {
    state.ui.killTimer(kFormatWatchTimer);
    state.ui.show(ControlId::kStatusFormat, false);
    show(state.shared, msg::kDriveChanged);
    returnToIdle(state);
}
// format asks for a confirmation, which cmd's pipe gives. format.com is
// named by its full path: cmd would look in its current folder first.
ChildCommand formatCommand(UsbState& state) {
    const std::string format = state.sys.systemDirectory() + "\\format.com";
    return throughCmd(state.sys, "echo yes|\"" + format + "\" /FS:fat32 /V:" + live::kStickLabel +
                                     " " + targetDrive(state));
}

bool labelIsBoot(UsbState& state) {
    return state.sys.volumeLabel(*state.session.target) ==
           std::optional<std::string>(live::kStickLabel);
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
    const int answer = show(state.shared, msg::kFormatQuestion,
                            withTexts(msg::kFormatQuestion.text, {targetDescription(state)}));
    if (answer != win::kIdYes && answer != win::kIdNo) return;
    // The letter may lead to another drive by now: a stick swapped or a card
    // inserted while the question was open.
    if (!targetUnchanged(state)) {
        refuseChangedDrive(state);
        return;
    }
    if (answer == win::kIdYes) {
        formatRoute(state);
    } else {
        relabelTarget(state, live::kStickLabel);
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
    if (labelIsBoot(state)) return;
    if (!targetUnchanged(state)) {
        refuseChangedDrive(state);
        return;
    }
    state.session.formatChild = startChild(state.shared, formatCommand(state));
    if (state.session.formatChild == 0) failFormat(state);
}

void watchFormat(UsbState& state) {
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
