#include "usbmedia/session.h"

#include "app/handover.h"
#include "platform/winconst.h"
#include "usbmedia/child_wait.h"
#include "usbmedia/messages.h"

namespace kh::usb {

namespace {

void lockControls(AppState& state, bool locked) {
    for (ControlId id : {ControlId::kModeUsb, ControlId::kModeHarddisk, ControlId::kDriveList,
                         ControlId::kIsoPath, ControlId::kBrowse}) {
        state.ui.enable(id, !locked);
    }
}

}  // namespace

std::string targetDrive(const AppState& state) {
    return std::string{state.usb.target.value_or('?'), ':'};
}

std::string onTarget(const AppState& state, const std::string& rest) {
    return targetDrive(state) + "\\" + rest;
}

void lockTarget(AppState& state, char letter) {
    state.usb.target = letter;
    state.usb.stage = UsbStage::kChecking;
    lockControls(state, true);
}

void returnToIdle(AppState& state) {
    deleteToolPayloads(state);
    state.usb = UsbSession();
    lockControls(state, false);
    state.ui.enable(ControlId::kOk, true);
}

void endCreation(AppState& state) {
    // A 7-Zip that could not be stopped still holds its files.
    if (state.extractionChild == 0) deleteToolPayloads(state);
    state.usb.stage = UsbStage::kEnded;
    state.ui.postQuit();
}

int box(AppState& state, const char* text, const char* caption, unsigned flags) {
    return state.ui.messageBox(BoxOwner::kMainWindow, text, caption, flags);
}

void showError(AppState& state, const char* text) {
    box(state, text, msg::kError, win::kMbIconError);
}

std::string withNumber(const char* pattern, uint64_t number) {
    std::string text = pattern;
    const size_t at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
    return text;
}

std::optional<uint32_t> runToEnd(AppState& state, const std::string& commandLine,
                                 uint32_t milliseconds, bool keepPainted) {
    SystemServices& sys = state.sys;
    const ProcessHandle child = sys.startProcess(commandLine);
    if (child == 0) return std::nullopt;
    const bool ended = waitForChild(state, child, milliseconds, keepPainted);
    std::optional<uint32_t> code;
    if (ended) code = sys.exitCode(child);
    if (!ended) sys.terminate(child, 1);
    sys.closeProcess(child);
    return code;
}

void relabelTarget(AppState& state, const char* label) {
    state.sys.setVolumeLabel(*state.usb.target, label);
}

}  // namespace kh::usb
