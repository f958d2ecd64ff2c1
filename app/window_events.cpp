#include "app/window_events.h"

#include "app/control_table.h"
#include "app/handover.h"
#include "app/messages.h"
#include "hdinstall/startup_checks.h"
#include "platform/winconst.h"

namespace kh::app {

namespace {

void enterRestoreLook(AppState& state) {
    state.ui.setText(ControlId::kModeHarddisk, kRestoreCaption);
    state.ui.enable(ControlId::kIsoPath, false);
    state.ui.enable(ControlId::kBrowse, false);
}

// Appends every removable drive C..Z in letter order and selects the first.
void fillDriveList(AppState& state) {
    bool first = true;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if (state.sys.driveType(letter) != DriveType::kRemovable) continue;
        state.ui.addDrive(std::string{letter, ':'});
        if (first) state.ui.selectDrive(0);
        first = false;
    }
}

}  // namespace

void onCreate(AppState& state) {
    UserInterface& ui = state.ui;
    ui.createControl(ControlId::kIsoPath);
    if (!hd::scanMasterBootRecord(state)) return;

    ui.createControl(ControlId::kModeGroup);
    ui.createControl(ControlId::kModeHarddisk);
    hd::searchSystemDrive(state);
    hd::detectInstall(state);
    ui.setChecked(ControlId::kModeHarddisk, true);

    ui.createControl(ControlId::kModeUsb);
    ui.createControl(ControlId::kDriveList);
    ui.enable(ControlId::kDriveList, false);
    ui.createControl(ControlId::kBrowse);
    if (state.bootEntryPresent) enterRestoreLook(state);
    fillDriveList(state);

    for (ControlId status :
         {ControlId::kStatusFormat, ControlId::kStatusCopy, ControlId::kStatusConfig}) {
        ui.createControl(status);
        ui.show(status, false);
    }
    ui.createControl(ControlId::kExit);
    ui.createControl(ControlId::kOk);
}

void onDeviceChange(AppState& state, uintptr_t event) {
    if (event != win::kDbtDeviceArrival && event != win::kDbtDeviceRemoveComplete) return;
    state.ui.clearDriveList();
    state.ui.invalidate();
    fillDriveList(state);
}

void onClose(AppState& state) {
    usb::stopExtractionChild(state, false);
    state.ui.postQuit();
}

void onDestroy(AppState& state) { state.ui.postQuit(); }

void runGuarded(AppState& state, const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        state.ui.messageBox(BoxOwner::kMainWindow, msg::kInternalError, msg::kError,
                            win::kMbIconError);
        state.ui.postQuit();
    }
}

}  // namespace kh::app
