#include "usbmedia/finish.h"

#include <sstream>
#include <string>

#include "common/child_process.h"
#include "common/live_iso.h"
#include "common/report.h"
#include "common/syslinux.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "platform/winconst.h"
#include "usbmedia/boot_files.h"
#include "usbmedia/session.h"
#include "usbmedia/stick_check.h"

namespace kh::usb {

namespace {

// Writing the boot code and ldlinux.sys takes seconds; a hanging installer
// must still end.
constexpr uint32_t kInstallerMs = 120000;

// A stick used before without formatting still has the syslinux folder of
// that run; the rename would fail and the old kernel and configuration would
// boot. The old folder is kept under a free name instead.
void moveEarlierSyslinuxAside(UsbState& state) {
    const std::string folder = onTarget(state, syslinux::kFolder);
    if (!state.sys.fileExists(folder)) return;
    for (int n = 0; n < 100; ++n) {
        const std::string aside = folder + ".old" + (n == 0 ? std::string() : std::to_string(n));
        if (!state.sys.fileExists(aside)) {
            state.sys.moveFile(folder, aside);
            return;
        }
    }
}

bool copyToRoot(UsbState& state, const char* name) {
    return state.sys.copyFile(onTarget(state, syslinux::inFolder(name)), onTarget(state, name),
                              false);
}

// isolinux becomes syslinux and the kernel and its RAM disk are copied to the
// root; false when the drive did not take it (pulled, full, write-protected).
bool arrangeBootTree(UsbState& state) {
    moveEarlierSyslinuxAside(state);
    if (!state.sys.moveFile(onTarget(state, live::kBootFolder),
                            onTarget(state, syslinux::kFolder))) {
        return false;
    }
    for (const char* name : live::kRootCopies) {
        if (!copyToRoot(state, name)) return false;
    }
    return true;
}

void endFinish(UsbState& state) {
    state.ui.show(ControlId::kStatusCopy, false);
    endCreation(state);
}

void failFinish(UsbState& state, const Message& message) {
    show(state.shared, message);
    endFinish(state);
}

// False when the creation stopped at a file that was not written.
bool writeBootFiles(UsbState& state) {
    const payloads::WriteOutcome outcome = placeBootFiles(state);
    if (outcome == payloads::WriteOutcome::kWritten) return true;
    // Without the resource the window is ready for another attempt; any other
    // failure has shown its message and requested the end.
    if (outcome == payloads::WriteOutcome::kAbandoned) {
        returnToIdle(state);
    } else {
        endFinish(state);
    }
    return false;
}

// The installer prints nothing when it succeeds: every line it prints tells of
// a step that failed, even one it goes on after and ends with 0 ("Did not
// successfully update the MBR; continuing..."). Those lines, one a line.
std::string installerComplaints(const std::string& output) {
    std::string complaints;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t begin = line.find_first_not_of(" \t\r");
        if (begin == std::string::npos) continue;
        const size_t end = line.find_last_not_of(" \t\r");
        complaints += "\n" + line.substr(begin, end - begin + 1);
    }
    return complaints;
}

// Runs the installer with its output captured; true when it ended with 0 and
// said nothing, as far as its output could be read. `complaints` gets what it
// said.
bool installBootCode(UsbState& state, std::string& complaints) {
    const auto program = toolPath(state.shared, syslinux::kInstallerName);
    if (!program) return false;
    const ChildResult run = runChild(
        state.shared, syslinux::installCommand(*program, targetDrive(state)), {kInstallerMs, true});
    complaints = installerComplaints(run.output);
    return run.ended() && run.outputRead && run.exitCode == 0 && complaints.empty();
}

}  // namespace

void finishUsbMedia(UsbState& state) {
    if (!arrangeBootTree(state)) {
        failFinish(state, msg::kCopyFailed);
        return;
    }
    if (!writeBootFiles(state)) return;
    std::string complaints;
    if (!installBootCode(state, complaints)) {
        show(state.shared, msg::kInstallerFailed, msg::kInstallerFailed.text + complaints);
        endFinish(state);
        return;
    }
    if (!stickReadsBack(state)) {
        endFinish(state);
        return;
    }
    state.ui.show(ControlId::kStatusCopy, false);
    show(state.shared, msg::kDone);
    endCreation(state);
}

}  // namespace kh::usb
