#include "app/commands.h"

#include <cctype>

#include "app/gbk_path.h"
#include "app/handover.h"
#include "app/messages.h"
#include "platform/winconst.h"

namespace kh::app {

void warn(AppState& state, const std::string& text) {
    state.ui.messageBox(BoxOwner::kMainWindow, text, msg::kWarning, win::kMbIconWarning);
}

namespace {

bool creationRunning(const AppState& state) { return state.usb.stage != UsbStage::kIdle; }

bool endsWithIsoSuffix(const std::string& path) {
    if (path.size() < 4) return false;
    const std::string tail = path.substr(path.size() - 4);
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return tail[0] == '.' && lower(tail[1]) == 'i' && lower(tail[2]) == 's' &&
           lower(tail[3]) == 'o';
}

// "X:\...\name": no relative, drive-relative ("D:live.iso"), UNC or "\\?\"
// path, and a file name after the last separator.
bool isAbsoluteLocalPath(const std::string& path) {
    const bool driveRoot = path.size() > 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                           path[1] == ':' && path[2] == '\\';
    return driveRoot && !fileNameOf(path).empty();
}

void onBrowse(AppState& state) {
    const auto chosen = state.ui.openIsoDialog();
    if (!chosen) {
        state.ui.enable(ControlId::kOk, true);
        return;
    }
    state.isoPath = *chosen;
    state.ui.setText(ControlId::kIsoPath, state.isoPath);
    if (endsWithIsoSuffix(state.isoPath)) return;
    warn(state, msg::kWrongIsoFile);
    state.ui.enable(ControlId::kOk, true);
}

void onModeUsb(AppState& state) {
    // A running creation keeps the drive it started with.
    if (creationRunning(state)) return;
    state.ui.setChecked(ControlId::kModeUsb, true);
    state.ui.setChecked(ControlId::kModeHarddisk, false);
    state.ui.enable(ControlId::kDriveList, true);
    state.ui.enable(ControlId::kIsoPath, true);
    state.ui.enable(ControlId::kBrowse, true);
    state.ui.invalidate();
    if (state.ui.text(ControlId::kDriveList).empty()) warn(state, msg::kInsertUsbFirst);
}

void onModeHarddisk(AppState& state) {
    if (creationRunning(state)) return;
    state.ui.enable(ControlId::kDriveList, false);
    state.ui.setChecked(ControlId::kModeHarddisk, true);
    state.ui.setChecked(ControlId::kModeUsb, false);
    state.ui.invalidate();
    if (state.bootEntryPresent) {
        state.ui.enable(ControlId::kIsoPath, false);
        state.ui.enable(ControlId::kBrowse, false);
    }
}

void onExit(AppState& state) {
    usb::stopExtractionChild(state, true);
    usb::deleteToolPayloads(state);
    state.ui.postQuit();
}

void onOk(AppState& state) {
    state.ui.enable(ControlId::kOk, false);
    if (state.ui.isEnabled(ControlId::kDriveList)) {
        usb::startUsbMedia(state);
    } else if (state.bootEntryPresent) {
        hd::runRestore(state);
    } else {
        hd::runInstall(state);
    }
}

}  // namespace

bool checkIsoChosen(AppState& state) {
    const std::string typed = state.ui.text(ControlId::kIsoPath);
    const char* refusal = nullptr;
    if (typed.empty()) {
        refusal = msg::kChooseIsoFirst;
    } else if (!isAbsoluteLocalPath(typed)) {
        // A relative path would be taken from the current folder, and the ISO
        // moved to the root of whatever drive that is.
        refusal = msg::kIsoPathNotAbsolute;
    }
    if (refusal) {
        warn(state, refusal);
        state.ui.enable(ControlId::kOk, true);
        return false;
    }
    state.isoPath = typed;
    return true;
}

void onCommand(AppState& state, int controlId) {
    switch (static_cast<ControlId>(controlId)) {
        case ControlId::kBrowse:
            onBrowse(state);
            break;
        case ControlId::kModeUsb:
            onModeUsb(state);
            break;
        case ControlId::kExit:
            onExit(state);
            break;
        case ControlId::kOk:
            onOk(state);
            break;
        case ControlId::kModeHarddisk:
            onModeHarddisk(state);
            break;
        default:
            break;  // the edit, the group box and the drive list need nothing
    }
}

}  // namespace kh::app
