// The hard-disk install: the ISO into its drive's root, the loader, its menu
// and the live system's kernel onto the system drive, the loader's entry into
// boot.ini, and the offer to restart. All or nothing: everything that can be
// checked is checked before the first change, every change is recorded, and a
// failure after the first change undoes them all before it is reported.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/child_process.h"
#include "common/live_iso.h"
#include "common/report.h"
#include "common/sevenzip.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "hdinstall/boot_file_check.h"
#include "hdinstall/bootini_rewrite.h"
#include "hdinstall/hdinstall.h"
#include "hdinstall/install_changes.h"
#include "hdinstall/install_plan.h"
#include "hdinstall/install_record.h"
#include "hdinstall/installed_files.h"
#include "hdinstall/iso_placement.h"
#include "hdinstall/kernel_extraction.h"
#include "hdinstall/menu_entry.h"
#include "hdinstall/safe_replace.h"
#include "payloads/catalogue.h"
#include "payloads/write_out.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"
#include "verify/iso_check.h"

namespace kh::hd {

namespace {

using payloads::WriteOutcome;

// Listing an ISO reads only its directory; a minute means 7-Zip hangs.
constexpr uint32_t kListingLimitMs = 60 * 1000;
// ISO 9660: the primary volume descriptor is sector 16 of 2048 bytes; it
// starts with a type byte and "CD001", and holds the volume label at byte 40,
// 32 bytes padded with blanks.
constexpr size_t kVolumeDescriptorOffset = 16 * 2048;
constexpr size_t kLabelOffset = 40;
constexpr size_t kLabelLength = 32;
// What the record and the folder entries take beyond the files' bytes.
constexpr uint64_t kSpareBytes = 64 * 1024;

// A failure to report once every change is undone: its box and its text.
struct Failure {
    Message message;
    std::string text;
};

// `name` fills a "%s" in the message's text (the write-outs' boxes name their file).
Failure failureOf(const Message& message, const std::string& name = std::string()) {
    return {message, payloads::namingFile(message, name)};
}

// A file the install writes into the system drive's root.
struct RootFile {
    std::string name;
    std::string bytes;
    Message writeFailed;
};

struct InstallRun {
    InstallRun(DiskState& disk, const std::string& iso)
        : state(disk), isoPath(iso), isoRootPath(hd::isoRootPath(iso)) {}

    DiskState& state;
    std::string isoPath;  // as chosen
    std::string isoRootPath;
    MenuNumbers numbers{};
    BootIniChange bootIni;
    std::vector<RootFile> files;  // with the menu entry in the menu
    uint64_t extractedBytes = 0;  // the kernel and the initrd
    std::string listing;          // 7-Zip's technical listing of the ISO
    std::optional<InstallRecord> earlier;
    InstallRecord record;

    char letter() const { return state.systemDrive.letter; }
    std::string onSystemDrive(const std::string& name) const {
        return installed::onDrive(letter(), name);
    }
};

// --- Checks: nothing is changed on the system drive before they all pass. ---

bool writeTools(DiskState& state) {
    return payloads::writeTool(state.shared, payloads::kSevenZipExeTool, msg::kHdSevenZipExe) ==
               WriteOutcome::kWritten &&
           payloads::writeTool(state.shared, payloads::kSevenZipDllTool, msg::kHdSevenZipDll) ==
               WriteOutcome::kWritten;
}

// The resource's bytes; an empty one is given up without a word, as the
// write-out gives up any.
std::optional<std::string> payloadBytes(DiskState& state, int id, const char* name,
                                        const WriteOutMessages& messages) {
    const Resource resource = state.sys.resource(id);
    const Message* failure = nullptr;
    switch (resource.status) {
        case Resource::Status::kOk:
            if (resource.bytes.empty()) return std::nullopt;
            return std::string(resource.bytes);
        case Resource::Status::kNotFound:
            failure = &messages.notFound;
            break;
        case Resource::Status::kLoadFailed:
            failure = &messages.loadFailed;
            break;
        case Resource::Status::kLockFailed:
            failure = &messages.lockFailed;
            break;
    }
    show(state.shared, *failure, payloads::namingFile(*failure, name));
    return std::nullopt;
}

bool addRootFile(InstallRun& run, int id, const char* name, const WriteOutMessages& messages) {
    auto bytes = payloadBytes(run.state, id, name, messages);
    if (!bytes) return false;
    if (std::string(name) == installed::kMenu) {
        *bytes = insertMenuEntry(
            *bytes, menuEntry(run.numbers.isoPartitionNumber, run.numbers.systemPartitionIndex));
    }
    run.files.push_back({name, std::move(*bytes), messages.createFailed});
    return true;
}

bool collectRootFiles(InstallRun& run) {
    if (!addRootFile(run, payloads::kGrldr, installed::kGrldr, msg::kHdGrldr)) return false;
    // Only a grldr built on GRUB 2 comes with a second stage and the block
    // its menu keeps the choice in.
    if (run.state.sys.resource(payloads::kG2ldr).status != Resource::Status::kNotFound &&
        !(addRootFile(run, payloads::kG2ldr, installed::kG2ldr, msg::kHdG2ldr) &&
          addRootFile(run, payloads::kDefaultEntry, installed::kDefaultEntry,
                      msg::kHdDefaultEntry))) {
        return false;
    }
    return addRootFile(run, payloads::kSampleMenu, installed::kMenu, msg::kHdSampleMenu) &&
           addRootFile(run, payloads::kFonts, installed::kFonts, msg::kHdFonts) &&
           addRootFile(run, payloads::kSplashImage, installed::kSplash, msg::kHdSplashImage);
}

// The live system finds its root by the ISO's label (CDLABEL in the menu
// entry); an ISO with another one would boot into a system that cannot.
bool isoLabelMatches(DiskState& state, const std::string& isoPath) {
    const size_t length = kVolumeDescriptorOffset + kLabelOffset + kLabelLength;
    std::string bytes;
    if (auto file = state.sys.openForReading(isoPath)) {
        std::vector<char> buffer(length);
        std::optional<size_t> got;
        while (bytes.size() < length && (got = file->read(buffer.data(), length - bytes.size())) &&
               *got > 0) {
            bytes.append(buffer.data(), *got);
        }
    }
    if (bytes.size() < length) return false;
    const std::string descriptor = bytes.substr(kVolumeDescriptorOffset);
    if (descriptor.compare(1, 5, "CD001") != 0) return false;
    std::string label = descriptor.substr(kLabelOffset, kLabelLength);
    label.erase(label.find_last_not_of(' ') + 1);
    return label == live::kLabel;
}

// The ISO is listed with the embedded 7-Zip: it must hold what is extracted.
const Message* checkIsoContent(InstallRun& run, const std::string& isoPath) {
    const auto program = toolPath(run.state.shared, sevenzip::kExeName);
    if (!program) return &msg::kIsoNotListed;
    const ChildResult listing = runChild(run.state.shared, sevenzip::listCommand(*program, isoPath),
                                         {kListingLimitMs, true});
    if (!listing.ended() || !sevenzip::succeeded(listing.exitCode)) return &msg::kIsoNotListed;
    const auto size = bootFilesSize(listing.output);
    if (!size) return &msg::kIsoLacksBootFiles;
    run.extractedBytes = *size;
    run.listing = listing.output;
    return nullptr;
}

const Message* checkFreeSpace(InstallRun& run) {
    uint64_t needed = run.extractedBytes + kSpareBytes;
    for (const RootFile& file : run.files) needed += file.bytes.size();
    const auto space = run.state.sys.diskFreeSpace(run.letter());
    return space && space->freeBytes() >= needed ? nullptr : &msg::kNoSpace;
}

// The record of an earlier install names the files that are ours. One that is
// there but cannot be read stops the install: the files it keeps aside would
// be taken for ours, or ours for another tool's.
bool readEarlierRecord(InstallRun& run) {
    const std::string path = run.onSystemDrive(installed::kRecord);
    if (!run.state.sys.fileExists(path)) return true;
    const FileContent content = readTextFile(run.state.sys, path);
    if (content.status == FileContent::Status::kOk) run.earlier = parseRecord(content.bytes);
    if (!run.earlier) return false;
    run.record.kept = run.earlier->kept;
    return true;
}

bool refuse(DiskState& state, const Message& refusal) {
    show(state.shared, refusal);
    return false;
}

// Everything that needs no change; false after its message.
bool checkBeforeChanges(InstallRun& run, const std::string& isoPath) {
    DiskState& state = run.state;
    const std::string labelled = state.sys.fileExists(run.isoRootPath) ? run.isoRootPath : isoPath;
    if (!isoLabelMatches(state, labelled)) return refuse(state, msg::kIsoLabelWrong);
    if (!readEarlierRecord(run)) return refuse(state, msg::kRecordUnreadable);

    auto bootIni = prepareBootEntry(state);
    if (!bootIni) return false;
    run.bootIni = std::move(*bootIni);
    if (!collectRootFiles(run)) return false;
    if (!writeTools(state) || run.state.shared.failureShown) return false;
    const Message* refusal = checkIsoContent(run, isoPath);
    if (!refusal) refusal = checkFreeSpace(run);
    return !refusal || refuse(state, *refusal);
}

// --- Changes: each one recorded, boot.ini last. ---

bool isOurs(const InstallRun& run, const std::string& name) {
    if (!run.earlier) return false;
    if (name == installed::kRecord) return true;
    for (const std::string& ours : run.earlier->ours) {
        if (ours == name) return true;
    }
    return false;
}

// Each file of the root the install is about to write that is there already
// goes aside under a name nobody uses: another tool's is kept in the record
// and comes back at the restore; one of an earlier install of ours is
// deleted once the install is complete.
bool keepAside(InstallRun& run, Changes& changes, const std::string& name) {
    const std::string path = run.onSystemDrive(name);
    if (!run.state.sys.fileExists(path)) return true;
    const bool ours = isOurs(run, name);
    const std::string aside = unusedName(
        run.state.sys, run.onSystemDrive(ours ? "~kh-old-" + name : name + ".kh-kept"), "");
    if (aside.empty() || !changes.move(path, aside)) return false;
    if (ours) {
        changes.discardOnCommit(aside);
    } else {
        run.record.kept.push_back({name, fileNameOf(aside)});
    }
    return true;
}

// A file of ours is written under a new temporary name and then renamed
// into place: a power loss never leaves a truncated loader behind.
bool writeIntoPlace(InstallRun& run, Changes& changes, const std::string& name,
                    const std::string& bytes) {
    SystemServices& sys = run.state.sys;
    const std::string temporary = unusedName(sys, run.onSystemDrive("~kh-" + name), ".tmp");
    auto file = temporary.empty() ? nullptr : sys.createNewFile(temporary);
    if (!file) return false;
    changes.created(temporary);
    const bool written = file->write(bytes) && file->flush();
    return file->close() && written && changes.move(temporary, run.onSystemDrive(name));
}

// The boot files from the payloads, then the install record.
std::optional<Failure> writeOwnFiles(InstallRun& run, Changes& changes) {
    for (const RootFile& file : run.files) {
        if (!writeIntoPlace(run, changes, file.name, file.bytes))
            return failureOf(file.writeFailed, file.name);
    }
    if (!writeIntoPlace(run, changes, installed::kRecord, formatRecord(run.record))) {
        return failureOf(msg::kRecordWriteError);
    }
    return std::nullopt;
}

std::optional<Failure> makeChanges(InstallRun& run, Changes& changes) {
    std::vector<std::string> names;
    for (const RootFile& file : run.files) names.push_back(file.name);
    names.insert(names.end(), {installed::kKernel, installed::kInitrd});
    for (const std::string& name : names) {
        if (!keepAside(run, changes, name)) return failureOf(msg::kKeepAsideFailed);
    }
    if (!keepAside(run, changes, installed::kRecord)) return failureOf(msg::kKeepAsideFailed);

    run.record.ours = names;
    // The files that owe nothing to the ISO are written while 7-Zip extracts.
    std::optional<Failure> writeFailure;
    const auto writeRootFiles = [&] {
        writeFailure = writeOwnFiles(run, changes);
        return !writeFailure;
    };
    const Message* extractionFailure =
        extractBootFiles(run.state, changes, run.isoRootPath, writeRootFiles);
    if (writeFailure) return writeFailure;
    if (extractionFailure) return failureOf(*extractionFailure);
    if (const auto failure = bootFilesReadBack(run.state, run.isoRootPath, run.listing)) {
        return Failure{failure->message, failure->text};
    }
    std::string leftBehind;
    if (const Message* failure =
            writeBootIni(run.state, run.bootIni, msg::kBootIniRenameError, &leftBehind)) {
        if (!leftBehind.empty()) changes.created(leftBehind);  // to be named if it stays
        return failureOf(*failure);
    }
    return std::nullopt;
}

// Everything back as it was, then the failure; what could not be put back is
// named with it.
void undoAndReport(InstallRun& run, Changes& changes, const Failure& failure) {
    const std::vector<std::string> left = changes.undo();
    std::string text = failure.text;
    if (!left.empty()) text += std::string("\n\n") + msg::kUndoIncomplete.text;
    for (const std::string& path : left) text += "\n" + path;
    show(run.state.shared, failure.message, text);
}

// --- The end. ---

bool shutdownPrivilegeReady(DiskState& state) {
    const ShutdownPrivilege::Status status = state.sys.enableShutdownPrivilege().status;
    return status == ShutdownPrivilege::Status::kEnabled ||
           status == ShutdownPrivilege::Status::kNotNt;
}

// The machine is set up but the program cannot restart it: the user must
// know, and the program has nothing left to do.
void reportRestartImpossible(DiskState& state) { show(state.shared, msg::kRestartImpossible); }

void offerRestart(DiskState& state) {
    // After a reported failure the congratulation would be a lie; the box
    // would also return unanswered, as the end is already requested.
    if (!state.shared.failureShown && show(state.shared, msg::kRestartQuestion) == win::kIdOk) {
        if (!state.sys.requestRestart()) reportRestartImpossible(state);
        return;
    }
    state.ui.postQuit();
}

// From the ISO's move to boot.ini; true when the install is complete.
bool install(InstallRun& run) {
    Changes changes(run.state.sys);
    if (placeIsoAtRoot(run.state, changes, run.isoPath, run.isoRootPath) != Placement::kInPlace)
        return false;
    if (const auto failure = makeChanges(run, changes)) {
        undoAndReport(run, changes, *failure);
        return false;
    }
    changes.commit();  // only leftovers of an earlier install and an empty folder
    return true;
}

void finish(InstallRun& run, bool installed) {
    DiskState& state = run.state;
    // 7-Zip is needed only while the install runs; however it ends, its
    // folder goes. One that could not be stopped still holds it.
    if (state.shared.extractionChild == 0) removeToolsFolder(state.shared);
    if (!installed) return;
    if (!state.shared.failureShown && !shutdownPrivilegeReady(state)) {
        reportRestartImpossible(state);
        return;
    }
    offerRestart(state);
}

}  // namespace

void runInstall(DiskState& state, const InstallRequest& request) {
    // Without the system partition's number the menu entry cannot be written;
    // refuse before anything is changed.
    if (!state.systemDrive.found) {
        show(state.shared, msg::kNoSystemPartition);
        return;
    }
    const std::string& isoPath = request.isoPath;
    if (!state.sys.fileExists(isoPath)) {
        show(state.shared, msg::kIsoMissing);
        return;
    }
    InstallRun run{state, isoPath};
    const InstallPlan plan =
        planMenuNumbers(state.partitions, volumeFacts(state.sys, run.isoRootPath[0]),
                        volumeFacts(state.sys, state.systemDrive.letter));
    if (!plan.numbers) {
        show(state.shared, *plan.refusal);
        return;
    }
    run.numbers = *plan.numbers;
    if (verify::checkIsoBeforeChanges(state.shared, isoPath, ControlId::kStatusCopy) !=
        verify::IsoCheck::kPassed) {
        return;
    }
    if (!checkBeforeChanges(run, isoPath)) {
        // An empty payload is given up silently; OK may be pressed again.
        if (!state.shared.failureShown) state.ui.enable(ControlId::kOk, true);
        finish(run, false);
        return;
    }
    finish(run, install(run));
}

}  // namespace kh::hd
