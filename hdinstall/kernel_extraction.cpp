#include "hdinstall/kernel_extraction.h"

#include <cstdint>

#include "common/child_wait.h"
#include "common/sevenzip.h"
#include "hdinstall/installed_files.h"
#include "hdinstall/messages.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

// A live ISO of a few hundred megabytes takes well under a minute even on old
// disks; ten minutes means 7-Zip hangs.
constexpr uint32_t kExtractionLimitMs = 10 * 60 * 1000;
struct BootFile {
    const char* pattern;  // inside the ISO
    const char* name;     // as extracted into the root
    const Message& failure;
};

constexpr BootFile kKernel{"isolinux\\vmlinuz0*", installed::kKernel, msg::kExtractKernelFailed};
constexpr BootFile kInitrd{"isolinux\\initrd4disk*", installed::kInitrd, msg::kExtractInitrdFailed};

// A file left by an earlier run would pass the check after a 7-Zip run that
// extracted nothing.
void removeEarlierCopy(DiskState& state, const std::string& path) {
    if (!state.sys.fileExists(path)) return;
    state.sys.setAttributes(path, win::kAttrNormal);
    state.sys.deleteFile(path);
}

bool succeeded(DiskState& state, ProcessHandle child) {
    const auto code = state.sys.exitCode(child);
    return code && sevenzip::succeeded(*code);
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
        state.sys.terminate(child, sevenzip::kStopped);
        ended = state.sys.waitForExit(child, sevenzip::kInstallEndWaitMs);
    }
    if (ended) {
        state.sys.closeProcess(child);
        state.shared.extractionChild = 0;
    }
    return ok;
}

bool extractBootFile(DiskState& state, const std::string& isoRootPath, const BootFile& file) {
    const char letter = state.systemDrive.letter;
    const std::string target = installed::onDrive(letter, file.name);
    removeEarlierCopy(state, target);
    if (runSevenZip(state, sevenzip::extractFilesCommand(isoRootPath, letter, file.pattern))) {
        const auto size = state.sys.fileSize(target);
        if (size && *size > 0) return true;
    }
    show(state.shared, file.failure);
    return false;
}

}  // namespace

bool extractBootFiles(DiskState& state, const std::string& isoRootPath) {
    return extractBootFile(state, isoRootPath, kKernel) &&
           extractBootFile(state, isoRootPath, kInitrd);
}

}  // namespace kh::hd
