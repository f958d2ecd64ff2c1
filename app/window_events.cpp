#include "app/window_events.h"

#include <algorithm>
#include <string>
#include <vector>

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

// Every removable drive C..Z in letter order. Only the drive type is asked:
// GetDriveTypeA never touches the medium, so an empty card-reader slot is
// listed without a wait and without a "no disk" box.
std::vector<std::string> removableDrives(SystemServices& sys) {
    std::vector<std::string> drives;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if (sys.driveType(letter) == DriveType::kRemovable) drives.push_back({letter, ':'});
    }
    return drives;
}

// Fills the list; the drive `chosen` before stays chosen while it is listed.
// With nothing chosen before, the first drive is; a chosen drive that went
// away leaves nothing chosen rather than a drive the user did not pick.
void fillDriveList(AppState& state, const std::string& chosen) {
    const std::vector<std::string> drives = removableDrives(state.shared.sys);
    for (const std::string& drive : drives) state.shared.ui.addDrive(drive);
    const auto kept = std::find(drives.begin(), drives.end(), chosen);
    if (kept != drives.end()) {
        state.shared.ui.selectDrive(static_cast<int>(kept - drives.begin()));
    } else if (chosen.empty() && !drives.empty()) {
        state.shared.ui.selectDrive(0);
    }
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
    fillDriveList(state, std::string());

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
    const std::string chosen = state.shared.ui.text(ControlId::kDriveList);
    state.shared.ui.clearDriveList();
    state.shared.ui.invalidate();
    fillDriveList(state, chosen);
}

void onClose(AppState& state) {
    state.shared.stopRequested = true;
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
