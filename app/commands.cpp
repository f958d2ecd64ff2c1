#include "app/commands.h"

#include <cctype>
#include <optional>
#include <string>

#include "common/report.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "hdinstall/hdinstall.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"
#include "usbmedia/usbmedia.h"

namespace kh::app {

namespace {

bool creationRunning(const AppState& state) {
    return state.usb.session.stage != usb::UsbStage::kIdle;
}

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
    const auto chosen = state.shared.ui.openIsoDialog();
    if (!chosen) {
        state.shared.ui.enable(ControlId::kOk, true);
        return;
    }
    // The edit box holds the choice; OK takes it from there, typed or chosen.
    state.shared.ui.setText(ControlId::kIsoPath, *chosen);
    if (endsWithIsoSuffix(*chosen)) return;
    show(state.shared, msg::kWrongIsoFile);
}

void onModeUsb(AppState& state) {
    // A running creation keeps the drive it started with.
    if (creationRunning(state)) return;
    state.mode = Mode::kUsb;
    state.shared.ui.setChecked(ControlId::kModeUsb, true);
    state.shared.ui.setChecked(ControlId::kModeHarddisk, false);
    state.shared.ui.enable(ControlId::kDriveList, true);
    state.shared.ui.enable(ControlId::kIsoPath, true);
    state.shared.ui.enable(ControlId::kBrowse, true);
    state.shared.ui.invalidate();
    if (state.shared.ui.text(ControlId::kDriveList).empty())
        show(state.shared, msg::kInsertUsbFirst);
}

void onModeHarddisk(AppState& state) {
    if (creationRunning(state)) return;
    state.mode = Mode::kHarddisk;
    state.shared.ui.enable(ControlId::kDriveList, false);
    state.shared.ui.setChecked(ControlId::kModeHarddisk, true);
    state.shared.ui.setChecked(ControlId::kModeUsb, false);
    state.shared.ui.invalidate();
    if (state.hd.bootEntryPresent) {
        state.shared.ui.enable(ControlId::kIsoPath, false);
        state.shared.ui.enable(ControlId::kBrowse, false);
    }
}

void onExit(AppState& state) {
    state.shared.stopRequested = true;
    stopExtractionChild(state.shared, true);
    removeToolsFolder(state.shared);
    state.shared.ui.postQuit();
}

// The drive chosen in the list, as its letter.
std::optional<char> chosenDrive(AppState& state) {
    const std::string drive = state.shared.ui.text(ControlId::kDriveList);
    if (drive.empty() || !std::isalpha(static_cast<unsigned char>(drive[0]))) return std::nullopt;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
}

void onOk(AppState& state) {
    state.shared.ui.enable(ControlId::kOk, false);
    // The restore needs no ISO; both procedures do, and take the one the
    // window accepted.
    if (state.mode == Mode::kUsb) {
        if (const auto iso = checkIsoChosen(state))
            usb::startUsbMedia(state.usb, {*iso, chosenDrive(state)});
    } else if (state.hd.bootEntryPresent) {
        hd::runRestore(state.hd);
    } else if (const auto iso = checkIsoChosen(state)) {
        hd::runInstall(state.hd, {*iso});
    }
}

}  // namespace

namespace {

// The typed path as the file it must name: absolute on a drive letter,
// normalised by the system, and a regular file on a disk; the refusal
// otherwise. Nothing is changed on the way.
const Message* checkTypedPath(SystemServices& sys, const std::string& typed, std::string* isoPath) {
    if (typed.empty()) return &msg::kChooseIsoFirst;
    const std::string path = withBackslashes(typed);
    // A relative path would be taken from the current folder, and the ISO
    // moved to the root of whatever drive that is.
    if (!isAbsoluteLocalPath(path)) return &msg::kIsoPathNotAbsolute;
    // No file is ever named by these; a pattern would be matched by the
    // existence test and the ISO then looked for under its literal name.
    if (holdsCharacterOf(path, "*?<>|\"")) return &msg::kIsoPathWildcard;
    const std::optional<std::string> full = sys.fullPathName(path);
    if (!full || !isAbsoluteLocalPath(*full)) return &msg::kIsoPathNotAbsolute;
    const FileKind kind = sys.fileKind(*full);
    if (kind == FileKind::kDevice) return &msg::kIsoPathDevice;
    const std::optional<uint32_t> attributes = sys.fileAttributes(*full);
    if (attributes && (*attributes & win::kAttrDirectory)) return &msg::kIsoPathFolder;
    if (!attributes || kind != FileKind::kDisk) return &msg::kIsoMissing;
    *isoPath = *full;
    return nullptr;
}

}  // namespace

std::optional<std::string> checkIsoChosen(AppState& state) {
    std::string isoPath;
    const std::string typed = state.shared.ui.text(ControlId::kIsoPath);
    if (const Message* refusal = checkTypedPath(state.shared.sys, typed, &isoPath)) {
        show(state.shared, *refusal);
        return std::nullopt;
    }
    return isoPath;
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
