#include "hdinstall/kernel_extraction.h"

#include <cstdint>
#include <optional>
#include <string>

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
    const char* prefix;  // of its path inside the ISO; the pattern adds '*'
    const char* name;    // as extracted, and in the root
    const Message& failure;
};

constexpr BootFile kKernel{"isolinux\\vmlinuz0", installed::kKernel, msg::kExtractKernelFailed};
constexpr BootFile kInitrd{"isolinux\\initrd4disk", installed::kInitrd, msg::kExtractInitrdFailed};

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

// The folder is new, so a file found there after 7-Zip's run is the one it
// extracted.
bool extractBootFile(DiskState& state, Changes& changes, const std::string& isoRootPath,
                     const std::string& folder, const BootFile& file) {
    const std::string extracted = folder + "\\" + file.name;
    changes.created(extracted);  // also what a failed run leaves
    const std::string pattern = std::string(file.prefix) + "*";
    if (!runSevenZip(state, sevenzip::extractFilesCommand(isoRootPath, folder, pattern))) {
        return false;
    }
    const auto size = state.sys.fileSize(extracted);
    return size && *size > 0 &&
           changes.move(extracted, installed::onDrive(state.systemDrive.letter, file.name));
}

}  // namespace

std::optional<uint64_t> bootFilesSize(const std::string& listing) {
    const auto kernel = sevenzip::listedSize(listing, kKernel.prefix);
    const auto initrd = sevenzip::listedSize(listing, kInitrd.prefix);
    if (!kernel || !initrd) return std::nullopt;
    return *kernel + *initrd;
}

const Message* extractBootFiles(DiskState& state, Changes& changes,
                                const std::string& isoRootPath) {
    const std::string folder =
        unusedName(state.sys, installed::onDrive(state.systemDrive.letter, "~kh-x"), "");
    if (folder.empty()) return &kKernel.failure;
    changes.createdFolder(folder);  // 7-Zip makes it
    for (const BootFile* file : {&kKernel, &kInitrd}) {
        if (!extractBootFile(state, changes, isoRootPath, folder, *file)) return &file->failure;
    }
    return nullptr;
}

}  // namespace kh::hd
