#include "usbmedia/usb_checks.h"

#include <cctype>
#include <vector>

#include "common/child_process.h"
#include "common/live_iso.h"
#include "common/report.h"
#include "common/sevenzip.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"
#include "usbmedia/iso_extraction.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

// FAT32 cannot hold a file of this size or larger.
constexpr uint64_t kFat32FileLimit = uint64_t{1} << 32;
// Listing even a large ISO takes seconds; a 7-Zip that hangs must not.
constexpr uint32_t kListingMs = 60000;

void refuse(UsbState& state, const Message& message, const std::string& text) {
    show(state.shared, message, text);
    returnToIdle(state);
}

void refuse(UsbState& state, const Message& message) { refuse(state, message, message.text); }

bool isoPresent(UsbState& state, const std::string& isoPath) {
    if (!state.sys.fileExists(isoPath)) return false;
    const auto size = state.sys.fileSize(isoPath);
    if (!size) return false;
    state.session.isoPath = isoPath;
    state.session.isoBytes = *size;
    return true;
}

// True when `path` lies on the target drive, reached through any letter or
// mounted folder; where the system cannot name the volumes, by its letter.
bool liesOnTarget(UsbState& state, const std::string& path) {
    const auto target = state.sys.volumeIdentity(onTarget(state));
    const auto volume = state.sys.volumeIdentity(path);
    if (target && volume) return *target == *volume;
    return std::toupper(static_cast<unsigned char>(path[0])) == *state.session.target;
}

// Formatting would erase the ISO or the running program, and
// extracting onto the drive that holds the ISO would overwrite what is read.
bool keepsIsoAndProgram(UsbState& state) {
    const Message* refusal = nullptr;
    if (liesOnTarget(state, state.session.isoPath)) {
        refusal = &msg::kIsoOnTarget;
    } else if (liesOnTarget(state, directoryOf(state.sys.modulePath()))) {
        refusal = &msg::kProgramOnTarget;
    }
    if (refusal) refuse(state, *refusal);
    return refusal == nullptr;
}

bool hasRoomForIso(UsbState& state) {
    const auto space = state.sys.diskFreeSpace(*state.session.target);
    const uint64_t freeMb = space ? space->freeBytes() / kBytesPerMb : 0;
    if (freeMb == 0) {
        refuse(state, msg::kDriveNotFound);
        return false;
    }
    const uint64_t isoMb = state.session.isoBytes / kBytesPerMb;
    if (freeMb >= isoMb) return true;
    refuse(state, msg::kNotEnoughSpace, withNumber(msg::kNotEnoughSpace.text, isoMb));
    return false;
}

// The files the stick boots by, as the ISO must list them.
std::vector<std::string> filesTheStickNeeds() {
    std::vector<std::string> needed;
    for (const char* name : live::kRootCopies) needed.push_back(live::inBootFolder(name));
    needed.push_back(live::inBootFolder(live::kMenuInitrd));
    needed.push_back(live::kLiveImage);
    return needed;
}

// A format cannot be undone: an ISO that cannot make a bootable stick, or
// whose files FAT32 cannot hold, is refused before the question.
bool isoMakesABootableStick(UsbState& state) {
    const auto program = toolPath(state.shared, sevenzip::kExeName);
    ChildResult run;
    if (program) {
        run = runChild(state.shared, sevenzip::listCommand(*program, state.session.isoPath),
                       {kListingMs, true});
    }
    const bool listed = run.ended() && sevenzip::succeeded(run.exitCode);
    const auto items = listed ? sevenzip::listedItems(run.output) : std::nullopt;
    if (!items) {
        refuse(state, msg::kIsoUnreadable);
        return false;
    }
    for (const std::string& needed : filesTheStickNeeds()) {
        if (sevenzip::holdsFile(*items, needed)) continue;
        refuse(state, msg::kIsoLacksBootFile, withTexts(msg::kIsoLacksBootFile.text, {needed}));
        return false;
    }
    for (const sevenzip::ListedItem& item : *items) {
        if (item.size < kFat32FileLimit) continue;
        refuse(state, msg::kFileTooLargeForFat32);
        return false;
    }
    state.session.listing = run.output;  // what the stick is read back against
    return true;
}

// The drive as it is before the question, to be recognised after it.
bool knowsTargetIdentity(UsbState& state) {
    state.session.identity = targetIdentity(state);
    if (state.session.identity) return true;
    refuse(state, msg::kDriveNotFound);
    return false;
}

}  // namespace

bool passesChecks(UsbState& state, const std::string& isoPath, std::optional<char> drive) {
    if (!isoPresent(state, isoPath)) {
        show(state.shared, msg::kIsoMissing);
        return false;
    }
    if (!drive) {
        show(state.shared, msg::kInsertUsbFirst);
        return false;
    }
    lockTarget(state, *drive);
    if (!keepsIsoAndProgram(state) || !hasRoomForIso(state)) return false;
    if (!writeToolPayloads(state)) {
        returnToIdle(state);
        return false;
    }
    return isoMakesABootableStick(state) && knowsTargetIdentity(state);
}

}  // namespace kh::usb
