#include "usbmedia/session.h"

#include "common/texts.h"
#include "common/tool_files.h"
#include "platform/winconst.h"
#include "usbmedia/boot_files.h"

namespace kh::usb {

namespace {

void lockControls(UsbState& state, bool locked) {
    for (ControlId id : {ControlId::kModeUsb, ControlId::kModeHarddisk, ControlId::kDriveList,
                         ControlId::kIsoPath, ControlId::kBrowse}) {
        state.ui.enable(id, !locked);
    }
}

}  // namespace

std::string targetDrive(const UsbState& state) {
    return std::string{state.session.target.value_or('?'), ':'};
}

std::string onTarget(const UsbState& state, const std::string& rest) {
    return targetDrive(state) + "\\" + rest;
}

void lockTarget(UsbState& state, char letter) {
    state.session.target = letter;
    state.session.stage = UsbStage::kChecking;
    lockControls(state, true);
}

void returnToIdle(UsbState& state) {
    // Nothing is staged here: the window goes back to idle before the
    // extraction, or after the finish has placed or discarded what was.
    removeToolsFolder(state.shared);
    state.session = UsbSession();
    lockControls(state, false);
    state.ui.enable(ControlId::kOk, true);
}

void endCreation(UsbState& state) {
    discardStagedBootFiles(state);
    // A 7-Zip that could not be stopped still holds its files.
    if (state.shared.extractionChild == 0) removeToolsFolder(state.shared);
    state.session.stage = UsbStage::kEnded;
    state.ui.postQuit();
}

std::string withNumber(const char* pattern, uint64_t number) {
    std::string text = pattern;
    const size_t at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
    return text;
}

std::string withTexts(const char* pattern, std::initializer_list<std::string> texts) {
    std::string text;
    auto next = texts.begin();
    for (const char* c = pattern; *c != '\0'; ++c) {
        if (c[0] == '%' && c[1] == 's' && next != texts.end()) {
            text += *next++;
            ++c;
        } else {
            text += *c;
        }
    }
    return text;
}

bool operator==(const DriveIdentity& a, const DriveIdentity& b) {
    return a.serial == b.serial && a.bytes == b.bytes;
}

std::optional<DriveIdentity> targetIdentity(UsbState& state) {
    const char letter = *state.session.target;
    const auto serial = state.sys.volumeSerial(letter);
    const auto space = serial ? state.sys.diskFreeSpace(letter) : std::nullopt;
    if (!space) return std::nullopt;
    return DriveIdentity{*serial, space->totalBytes()};
}

bool targetUnchanged(UsbState& state) {
    return state.session.identity && targetIdentity(state) == state.session.identity;
}

void relabelTarget(UsbState& state, const char* label) {
    state.sys.setVolumeLabel(*state.session.target, label);
}

}  // namespace kh::usb
