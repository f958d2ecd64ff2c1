// The hard-disk install: the ISO into its drive's root, the loader's entry
// into boot.ini, the loader, its menu and the live system's kernel onto the
// system drive, and the offer to restart.
#include <optional>
#include <string>

#include "common/report.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "hdinstall/bootini_rewrite.h"
#include "hdinstall/hdinstall.h"
#include "hdinstall/install_plan.h"
#include "hdinstall/installed_files.h"
#include "hdinstall/iso_placement.h"
#include "hdinstall/kernel_extraction.h"
#include "hdinstall/menu_rewrite.h"
#include "payloads/catalogue.h"
#include "payloads/write_out.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

using payloads::WriteOutcome;

// One install run. Some failures let it go on, but after any shown failure
// it must never end in the congratulation.
struct InstallRun {
    DiskState& state;
    std::string isoRootPath;
    MenuNumbers numbers{};

    bool failureShown() const { return state.shared.failureShown; }
};

// Writes one payload; false when the write-out was abandoned, which ends the
// install. Other failures let it go on.
bool writeGoingOn(InstallRun& run, const payloads::PayloadTarget& target,
                  const WriteOutMessages& messages, WriteOutcome* outcome = nullptr) {
    const WriteOutcome result = payloads::writePayload(run.state.shared, target, messages);
    if (outcome) *outcome = result;
    return result != WriteOutcome::kAbandoned;
}

bool writeTools(InstallRun& run) {
    DiskState& state = run.state;
    WriteOutcome exeOutcome =
        payloads::writeTool(state.shared, payloads::kSevenZipExeTool, msg::kHdSevenZipExe);
    if (exeOutcome == WriteOutcome::kAbandoned) return false;
    if (exeOutcome == WriteOutcome::kCreateFailed) state.ui.show(ControlId::kStatusConfig, false);
    return payloads::writeTool(state.shared, payloads::kSevenZipDllTool, msg::kHdSevenZipDll) !=
           WriteOutcome::kAbandoned;
}

bool writeBootPayload(InstallRun& run, int resourceId, const char* name,
                      const WriteOutMessages& messages) {
    const std::string path = installed::onDrive(run.state.systemDrive.letter, name);
    return writeGoingOn(run, {resourceId, path, true}, messages);
}

bool writeBootPayloads(InstallRun& run) {
    if (!writeBootPayload(run, payloads::kGrldr, installed::kGrldr, msg::kHdGrldr)) return false;
    // Only a grldr built on GRUB 2 comes with a second stage and the block
    // its menu keeps the choice in.
    if (run.state.sys.resource(payloads::kG2ldr).status != Resource::Status::kNotFound &&
        !(writeBootPayload(run, payloads::kG2ldr, installed::kG2ldr, msg::kHdG2ldr) &&
          writeBootPayload(run, payloads::kDefaultEntry, installed::kDefaultEntry,
                           msg::kHdDefaultEntry))) {
        return false;
    }
    return writeBootPayload(run, payloads::kSampleMenu, installed::kMenu, msg::kHdSampleMenu) &&
           writeBootPayload(run, payloads::kFonts, installed::kFonts, msg::kHdFonts) &&
           writeBootPayload(run, payloads::kSplashImage, installed::kSplash, msg::kHdSplashImage);
}

bool shutdownPrivilegeReady(DiskState& state) {
    const ShutdownPrivilege::Status status = state.sys.enableShutdownPrivilege().status;
    return status == ShutdownPrivilege::Status::kEnabled ||
           status == ShutdownPrivilege::Status::kNotNt;
}

// Everything from the tool files to the menu; true when the end is reached.
bool prepareBoot(InstallRun& run) {
    if (!writeTools(run) || !writeBootPayloads(run)) return false;
    if (!extractBootFiles(run.state, run.isoRootPath)) return false;
    switch (rewriteMenu(run.state, run.numbers)) {
        case MenuOutcome::kDone:
        case MenuOutcome::kRenameFailed:  // shown; the install still goes on
            return true;
        case MenuOutcome::kFailed:
            return false;
    }
    return false;
}

// The machine is set up but the program cannot restart it: the user must
// know, and the program has nothing left to do.
void reportRestartImpossible(DiskState& state) { show(state.shared, msg::kRestartImpossible); }

void offerRestart(InstallRun& run) {
    DiskState& state = run.state;
    state.ui.show(ControlId::kStatusConfig, false);
    // After a reported failure the congratulation would be a lie; the box
    // would also return unanswered, as the end is already requested.
    if (!run.failureShown() && show(state.shared, msg::kRestartQuestion) == win::kIdOk) {
        if (!state.sys.requestRestart()) reportRestartImpossible(state);
        return;
    }
    state.ui.enable(ControlId::kOk, false);
    state.ui.postQuit();
}

void configureBoot(InstallRun& run) {
    const bool prepared = prepareBoot(run);
    // 7-Zip is needed only while the install runs; however it ends, its
    // folder goes. One that could not be stopped still holds it.
    if (run.state.shared.extractionChild == 0) removeToolsFolder(run.state.shared);
    if (!prepared) return;
    if (!run.failureShown() && !shutdownPrivilegeReady(run.state)) {
        reportRestartImpossible(run.state);
        return;
    }
    offerRestart(run);
}

}  // namespace

void runInstall(DiskState& state) {
    // Without the system partition's number the menu entry cannot be written;
    // refuse before anything is changed.
    if (!state.systemDrive.found) {
        show(state.shared, msg::kNoSystemPartition);
        return;
    }
    if (!state.sys.fileExists(state.shared.isoPath)) {
        show(state.shared, msg::kIsoMissing);
        return;
    }
    InstallRun run{state, isoRootPath(state.shared.isoPath)};
    const InstallPlan plan =
        planMenuNumbers(state.partitions, volumeFacts(state.sys, run.isoRootPath[0]),
                        volumeFacts(state.sys, state.systemDrive.letter));
    if (!plan.numbers) {
        show(state.shared, *plan.refusal);
        return;
    }
    run.numbers = *plan.numbers;

    // A boot entry for an ISO that is not where the menu says would lead to a
    // live system that cannot find it: a failed move ends the install.
    if (placeIsoAtRoot(state, run.isoRootPath) != Placement::kInPlace) return;
    if (!addBootEntry(state)) return;
    configureBoot(run);
}

}  // namespace kh::hd
