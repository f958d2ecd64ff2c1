#include "hdinstall/kernel_extraction.h"

#include <cstdint>

#include "common/child_wait.h"
#include "hdinstall/messages.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

// A live ISO of a few hundred megabytes takes well under a minute even on old
// disks; ten minutes means 7-Zip hangs.
constexpr uint32_t kExtractionLimitMs = 10 * 60 * 1000;
// TerminateProcess only starts the end; 7-Zip still holds its files until it
// is gone.
constexpr uint32_t kTerminateWaitMs = 5000;

// 7-Zip's exit codes: 1 is a warning (e.g. a file it could not open) after
// which the requested files are still checked; 255 is "stopped by the user".
constexpr uint32_t kSevenZipOk = 0;
constexpr uint32_t kSevenZipWarning = 1;
constexpr uint32_t kSevenZipStopped = 255;

struct BootFile {
    const char* pattern;  // inside the ISO
    const char* name;     // as extracted into the root
    const char* failure;
};

constexpr BootFile kKernel{"isolinux\\vmlinuz0*", "vmlinuz0", msg::kExtractKernelFailed};
constexpr BootFile kInitrd{"isolinux\\initrd4disk*", "initrd4disk.img", msg::kExtractInitrdFailed};

std::string extractionCommand(char driveLetter, const std::string& isoRootPath,
                              const BootFile& file) {
    // The target stays unquoted: in "C:\" the backslash would escape the
    // closing quote for the C runtime, and a drive root holds no blanks.
    return "7z.exe e -y " + quoted(isoRootPath) + " -o" + std::string{driveLetter, ':', '\\'} +
           " " + file.pattern;
}

// A file left by an earlier run would pass the check after a 7-Zip run that
// extracted nothing.
void removeEarlierCopy(DiskState& state, const std::string& path) {
    if (!state.sys.fileExists(path)) return;
    state.sys.setAttributes(path, win::kAttrNormal);
    state.sys.deleteFile(path);
}

bool succeeded(DiskState& state, ProcessHandle child) {
    const auto code = state.sys.exitCode(child);
    return code && (*code == kSevenZipOk || *code == kSevenZipWarning);
}

// True when 7-Zip ran to its end and reported success. A 7-Zip that outlives
// its time limit is terminated; it stays tracked if it will not end.
bool runSevenZip(DiskState& state, const std::string& commandLine) {
    const ProcessHandle child = state.sys.startProcess(commandLine);
    if (child == 0) return false;
    state.shared.extractionChild = child;

    bool ended = waitForChild(state.shared, child, kExtractionLimitMs, true);
    const bool ok = ended && succeeded(state, child);
    if (!ended) {
        state.sys.terminate(child, kSevenZipStopped);
        ended = state.sys.waitForExit(child, kTerminateWaitMs);
    }
    if (ended) {
        state.sys.closeProcess(child);
        state.shared.extractionChild = 0;
    }
    return ok;
}

bool extractBootFile(DiskState& state, const std::string& isoRootPath, const BootFile& file) {
    const char letter = state.systemDrive.letter;
    const std::string target = std::string{letter, ':', '\\'} + file.name;
    removeEarlierCopy(state, target);
    if (runSevenZip(state, extractionCommand(letter, isoRootPath, file))) {
        const auto size = state.sys.fileSize(target);
        if (size && *size > 0) return true;
    }
    state.ui.messageBox(BoxOwner::kMainWindow, file.failure, msg::kExtractCaption,
                        win::kMbIconError);
    state.ui.postQuit();
    return false;
}

}  // namespace

bool extractBootFiles(DiskState& state, const std::string& isoRootPath) {
    return extractBootFile(state, isoRootPath, kKernel) &&
           extractBootFile(state, isoRootPath, kInitrd);
}

}  // namespace kh::hd
