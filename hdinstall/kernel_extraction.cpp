#include "hdinstall/kernel_extraction.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/child_process.h"
#include "common/live_iso.h"
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
    const char* name;  // in the ISO's boot folder, as extracted, and in the root
    const Message& failure;
};

constexpr BootFile kKernel{installed::kKernel, msg::kExtractKernelFailed};
constexpr BootFile kInitrd{installed::kInitrd, msg::kExtractInitrdFailed};

constexpr const BootFile* kBootFiles[] = {&kKernel, &kInitrd};

// The start of the file's path inside the ISO: the name up to its extension,
// which the listing is searched by and 7-Zip's pattern leaves open ('*').
std::string pathPrefix(const BootFile& file) {
    const std::string name = file.name;
    return live::inBootFolder(name.substr(0, name.rfind('.')));
}

// True when 7-Zip, run once from the tools folder for both files, ended within
// its limit and reported success. One that will not stop stays tracked.
bool runSevenZip(DiskState& state, const std::string& isoRootPath, const std::string& folder,
                 const std::function<bool()>& meanwhile) {
    const auto program = toolPath(state.shared, sevenzip::kExeName);
    if (!program) return false;
    std::vector<std::string> patterns;
    for (const BootFile* file : kBootFiles) patterns.push_back(pathPrefix(*file) + "*");
    ChildOptions options(kExtractionLimitMs);
    options.meanwhile = meanwhile;
    const ChildResult run =
        runChild(state.shared,
                 sevenzip::extractFilesCommand(*program, isoRootPath, folder, patterns), options);
    return run.ended() && sevenzip::succeeded(run.exitCode);
}

// The folder is new, so a file found there after 7-Zip's run is the one it
// extracted.
bool moveIntoPlace(DiskState& state, Changes& changes, const std::string& folder,
                   const BootFile& file) {
    const std::string extracted = folder + "\\" + file.name;
    const auto size = state.sys.fileSize(extracted);
    return size && *size > 0 &&
           changes.move(extracted, installed::onDrive(state.systemDrive.letter, file.name));
}

}  // namespace

std::optional<uint64_t> bootFilesSize(const std::string& listing) {
    const auto kernel = sevenzip::listedSize(listing, pathPrefix(kKernel));
    const auto initrd = sevenzip::listedSize(listing, pathPrefix(kInitrd));
    if (!kernel || !initrd) return std::nullopt;
    return *kernel + *initrd;
}

const Message* extractBootFiles(DiskState& state, Changes& changes, const std::string& isoRootPath,
                                const std::function<bool()>& meanwhile) {
    const std::string folder =
        unusedName(state.sys, installed::onDrive(state.systemDrive.letter, "~kh-x"), "");
    if (folder.empty()) return &kKernel.failure;
    changes.createdFolder(folder);  // 7-Zip makes it
    // Also what a failed run leaves.
    for (const BootFile* file : kBootFiles) changes.created(folder + "\\" + file->name);
    // A failed run names the first file, which it may have left cut short.
    if (!runSevenZip(state, isoRootPath, folder, meanwhile)) return &kKernel.failure;
    for (const BootFile* file : kBootFiles) {
        if (!moveIntoPlace(state, changes, folder, *file)) return &file->failure;
    }
    return nullptr;
}

}  // namespace kh::hd
