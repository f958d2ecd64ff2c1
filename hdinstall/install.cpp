// The hard-disk install: the ISO into its drive's root, the loader's entry
// into boot.ini, the loader, its menu and the live system's kernel onto the
// system drive, and the offer to restart.
#include <optional>
#include <string>

#include "app/commands.h"
#include "app/gbk_path.h"
#include "app/handover.h"
#include "hdinstall/bootini_rewrite.h"
#include "hdinstall/disk_location.h"
#include "hdinstall/iso_placement.h"
#include "hdinstall/kernel_extraction.h"
#include "hdinstall/menu_rewrite.h"
#include "hdinstall/messages.h"
#include "payloads/catalogue.h"
#include "payloads/message_sets.h"
#include "payloads/write_out.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

using payloads::PayloadMessages;
using payloads::WriteOutcome;

// One install run. `endRequested` remembers a reported failure after which
// the install goes on but must never end in the congratulation.
struct InstallRun {
    AppState& state;
    std::string isoRootPath;
    unsigned isoPartitionNumber = 0;
    bool endRequested = false;
};

void refuse(AppState& state, const char* text) {
    app::warn(state, text);
    state.ui.enable(ControlId::kOk, true);
}

std::string onSystemDrive(const AppState& state, std::string path) {
    path[0] = state.systemDrive.letter;
    return path;
}

// Writes one payload; false when the write-out was abandoned, which ends the
// install. Other failures let it go on.
bool writeGoingOn(InstallRun& run, const payloads::PayloadTarget& target,
                  const PayloadMessages& messages, WriteOutcome* outcome = nullptr) {
    const WriteOutcome result = payloads::writePayload(run.state, target, messages);
    if (outcome) *outcome = result;
    if (result == WriteOutcome::kLoadOrLockFailed ||
        (result == WriteOutcome::kCreateFailed && messages.createFailed)) {
        run.endRequested = true;
    }
    return result != WriteOutcome::kAbandoned;
}

bool writeTools(InstallRun& run) {
    AppState& state = run.state;
    const std::string directory = directoryOf(state.sys.modulePath());
    const std::string exe = directory + "\\7z.exe";
    const std::string dll = directory + "\\7z.dll";
    state.toolPaths = {exe, dll};

    WriteOutcome exeOutcome = WriteOutcome::kWritten;
    if (!writeGoingOn(run, {payloads::kSevenZipExe, exe}, payloads::hdSevenZipExe(), &exeOutcome)) {
        return false;
    }
    if (exeOutcome == WriteOutcome::kCreateFailed) state.ui.show(ControlId::kStatusConfig, false);
    return writeGoingOn(run, {payloads::kSevenZipDll, dll}, payloads::hdSevenZipDll());
}

bool writeBootPayload(InstallRun& run, int resourceId, const char* path,
                      const PayloadMessages& messages) {
    return writeGoingOn(run, {resourceId, onSystemDrive(run.state, path), true}, messages);
}

bool writeBootPayloads(InstallRun& run) {
    if (!writeBootPayload(run, payloads::kGrldr, "c:\\grldr", payloads::hdGrldr())) return false;
    // Only a grldr built on GRUB 2 comes with a second stage.
    if (run.state.sys.resource(payloads::kG2ldr).status != Resource::Status::kNotFound &&
        !writeBootPayload(run, payloads::kG2ldr, "c:\\g2ldr", payloads::hdG2ldr())) {
        return false;
    }
    return writeBootPayload(run, payloads::kSampleMenu, "c:\\menu.lst", payloads::hdSampleMenu()) &&
           writeBootPayload(run, payloads::kFonts, "c:\\fonts", payloads::hdFonts()) &&
           writeBootPayload(run, payloads::kSplashImage, "c:\\greengem.xpm",
                            payloads::hdSplashImage());
}

bool shutdownPrivilegeReady(AppState& state) {
    const ShutdownPrivilege::Status status = state.sys.enableShutdownPrivilege().status;
    return status == ShutdownPrivilege::Status::kEnabled ||
           status == ShutdownPrivilege::Status::kNotNt;
}

// Everything from the tool files to the menu; true when the end is reached.
bool prepareBoot(InstallRun& run) {
    if (!writeTools(run) || !writeBootPayloads(run)) return false;
    if (!extractBootFiles(run.state, run.isoRootPath)) return false;
    switch (rewriteMenu(run.state, run.isoPartitionNumber)) {
        case MenuOutcome::kDone:
            break;
        case MenuOutcome::kRenameFailed:
            run.endRequested = true;
            break;
        case MenuOutcome::kFailed:
            return false;
    }
    return true;
}

// The machine is set up but the program cannot restart it: the user must
// know, and the program has nothing left to do.
void reportRestartImpossible(AppState& state) {
    app::warn(state, msg::kRestartImpossible);
    state.ui.postQuit();
}

void offerRestart(InstallRun& run) {
    AppState& state = run.state;
    state.ui.show(ControlId::kStatusConfig, false);
    // After a reported failure the congratulation would be a lie; the box
    // would also return unanswered, as the end is already requested.
    if (!run.endRequested &&
        state.ui.messageBox(BoxOwner::kMainWindow, msg::kRestartQuestion, msg::kRestartCaption,
                            win::kMbOkCancel | win::kMbIconQuestion) == win::kIdOk) {
        if (!state.sys.requestRestart()) reportRestartImpossible(state);
        return;
    }
    state.ui.enable(ControlId::kOk, false);
    state.ui.postQuit();
}

void configureBoot(InstallRun& run) {
    const bool prepared = prepareBoot(run);
    // 7-Zip is needed only while the install runs; however it ends, its files
    // would otherwise be left next to the program. One that could not be
    // stopped still holds them.
    if (run.state.extractionChild == 0) usb::deleteToolPayloads(run.state);
    if (!prepared) return;
    if (!run.endRequested && !shutdownPrivilegeReady(run.state)) {
        reportRestartImpossible(run.state);
        return;
    }
    offerRestart(run);
}

}  // namespace

// The ISO's Linux partition number when the first disk's table and both
// volumes are fit for the menu entry; otherwise refused with the reason.
std::optional<unsigned> checkDiskLayout(AppState& state, char isoDriveLetter) {
    if (!firstDiskTableUsable(state)) return std::nullopt;
    const auto isoNumber = firstDiskPartition(state, isoDriveLetter, kIsoLocation);
    if (!isoNumber) return std::nullopt;
    if (!firstDiskPartition(state, state.systemDrive.letter, kSystemLocation)) return std::nullopt;
    return isoNumber;
}

void runInstall(AppState& state) {
    if (!app::checkIsoChosen(state)) return;
    // Without the system partition's number the menu entry cannot be written;
    // refuse before anything is changed.
    if (!state.systemDrive.partitionIndex) {
        refuse(state, msg::kNoSystemPartition);
        return;
    }
    if (!state.sys.fileExists(state.isoPath)) {
        refuse(state, msg::kIsoMissing);
        return;
    }
    InstallRun run{state, isoRootPath(state.isoPath)};
    const auto number = checkDiskLayout(state, run.isoRootPath[0]);
    if (!number) return;
    run.isoPartitionNumber = *number;

    // A boot entry for an ISO that is not where the menu says would lead to a
    // live system that cannot find it: a failed move ends the install.
    if (placeIsoAtRoot(state, run.isoRootPath) != Placement::kInPlace) return;
    if (!addBootEntry(state)) return;
    configureBoot(run);
}

}  // namespace kh::hd
