#include "app/window_events.h"

#include "app/control_table.h"
#include "common/report.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "hdinstall/startup_checks.h"
#include "platform/winconst.h"

namespace kh::app {

namespace {

void create(UserInterface& ui, ControlId id) { ui.createControl(controlSpec(id)); }

void enterRestoreLook(AppState& state) {
    state.shared.ui.setText(ControlId::kModeHarddisk, msg::kRestoreCaption);
    state.shared.ui.enable(ControlId::kIsoPath, false);
    state.shared.ui.enable(ControlId::kBrowse, false);
}

// Appends every removable drive C..Z in letter order and selects the first.
void fillDriveList(AppState& state) {
    bool added = false;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if (state.shared.sys.driveType(letter) != DriveType::kRemovable) continue;
        state.shared.ui.addDrive(std::string{letter, ':'});
        added = true;
    }
    if (added) state.shared.ui.selectDrive(0);
}

}  // namespace

void onCreate(AppState& state) {
    UserInterface& ui = state.shared.ui;
    create(ui, ControlId::kIsoPath);
    if (!hd::scanMasterBootRecord(state.hd)) return;

    create(ui, ControlId::kModeGroup);
    create(ui, ControlId::kModeHarddisk);
    hd::searchSystemDrive(state.hd);
    hd::detectInstall(state.hd);
    ui.setChecked(ControlId::kModeHarddisk, true);

    create(ui, ControlId::kModeUsb);
    create(ui, ControlId::kDriveList);
    ui.enable(ControlId::kDriveList, false);
    create(ui, ControlId::kBrowse);
    if (state.hd.bootEntryPresent) enterRestoreLook(state);
    fillDriveList(state);

    for (ControlId status :
         {ControlId::kStatusFormat, ControlId::kStatusCopy, ControlId::kStatusConfig}) {
        create(ui, status);
        ui.show(status, false);
    }
    create(ui, ControlId::kExit);
    create(ui, ControlId::kOk);
}

void onDeviceChange(AppState& state, uintptr_t event) {
    if (event != win::kDbtDeviceArrival && event != win::kDbtDeviceRemoveComplete) return;
    state.shared.ui.clearDriveList();
    state.shared.ui.invalidate();
    fillDriveList(state);
}

void onClose(AppState& state) {
    stopExtractionChild(state.shared, false);
    state.shared.ui.postQuit();
}

void onDestroy(AppState& state) { state.shared.ui.postQuit(); }

void onProgramEnd(AppState& state) {
    stopExtractionChild(state.shared, true);
    removeToolsFolder(state.shared);
}

void runGuarded(AppState& state, const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        show(state.shared, msg::kInternalError);
    }
}

}  // namespace kh::app
