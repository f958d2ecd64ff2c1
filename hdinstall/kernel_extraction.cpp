#include "hdinstall/kernel_extraction.h"

#include <cstdint>

#include "common/child_process.h"
#include "common/report.h"
#include "common/sevenzip.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "hdinstall/installed_files.h"
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

// True when 7-Zip, run from the tools folder, ended within its limit and
// reported success. One that will not stop stays tracked.
bool runSevenZip(DiskState& state, const std::string& isoRootPath, const BootFile& file) {
    const auto program = toolPath(state.shared, sevenzip::kExeName);
    if (!program) return false;
    const ChildResult run =
        runChild(state.shared,
                 sevenzip::extractFilesCommand(*program, isoRootPath, state.systemDrive.letter,
                                               file.pattern),
                 {kExtractionLimitMs});
    return run.ended() && sevenzip::succeeded(run.exitCode);
}

bool extractBootFile(DiskState& state, const std::string& isoRootPath, const BootFile& file) {
    const char letter = state.systemDrive.letter;
    const std::string target = installed::onDrive(letter, file.name);
    removeEarlierCopy(state, target);
    if (runSevenZip(state, isoRootPath, file)) {
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
