#include "usbmedia/usb_checks.h"

#include <cctype>
#include <sstream>

#include "app/commands.h"
#include "app/gbk_path.h"
#include "platform/winconst.h"
#include "usbmedia/iso_extraction.h"
#include "usbmedia/messages.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

constexpr uint64_t kBytesPerMb = 1000000;
// Listing even a large ISO takes seconds; a 7-Zip that hangs must not.
constexpr uint32_t kListingMs = 60000;

void refuse(AppState& state, const std::string& text) {
    app::warn(state, text);
    returnToIdle(state);
}

std::optional<char> selectedDrive(AppState& state) {
    const std::string drive = state.ui.text(ControlId::kDriveList);
    if (drive.empty() || !std::isalpha(static_cast<unsigned char>(drive[0]))) return std::nullopt;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
}

bool isoPresent(AppState& state) {
    if (!state.sys.fileExists(state.isoPath)) return false;
    const auto size = state.sys.fileSize(state.isoPath);
    if (!size) return false;
    state.usb.isoBytes = *size;
    return true;
}

// True when `path` lies on the target drive, reached through any letter or
// mounted folder; where the system cannot name the volumes, by its letter.
bool liesOnTarget(AppState& state, const std::string& path) {
    const auto target = state.sys.volumeIdentity(onTarget(state));
    const auto volume = state.sys.volumeIdentity(path);
    if (target && volume) return *target == *volume;
    return std::toupper(static_cast<unsigned char>(path[0])) == *state.usb.target;
}

// Formatting would erase the ISO or the running program's tools, and
// extracting onto the drive that holds the ISO would overwrite what is read.
bool keepsIsoAndProgram(AppState& state) {
    const char* refusal = nullptr;
    if (liesOnTarget(state, state.isoPath)) {
        refusal = msg::kIsoOnTarget;
    } else if (liesOnTarget(state, directoryOf(state.sys.modulePath()))) {
        refusal = msg::kProgramOnTarget;
    }
    if (refusal) refuse(state, refusal);
    return refusal == nullptr;
}

bool hasRoomForIso(AppState& state) {
    const auto space = state.sys.diskFreeSpace(*state.usb.target);
    const uint64_t freeMb = space ? space->freeBytes() / kBytesPerMb : 0;
    if (freeMb == 0) {
        box(state, msg::kDriveNotFound, msg::kWarning, win::kMbOkCancel);
        returnToIdle(state);
        return false;
    }
    const uint64_t isoMb = state.usb.isoBytes / kBytesPerMb;
    if (freeMb >= isoMb) return true;
    refuse(state, withNumber(msg::kNotEnoughSpace, isoMb));
    return false;
}

bool everyFileFitsFat32(AppState& state) {
    const auto run = state.sys.runCaptured("7z.exe l -slt " + quoted(state.isoPath), kListingMs);
    // Exit code 1 is a warning (e.g. data after the end of the image); the
    // listing is still complete.
    const bool listed = run && run->exitCode <= 1;
    const auto largest = listed ? largestListedSize(run->output) : std::nullopt;
    if (!largest) {
        showError(state, msg::kIsoUnreadable);
        returnToIdle(state);
        return false;
    }
    if (*largest < kFat32FileLimit) return true;
    refuse(state, msg::kFileTooLargeForFat32);
    return false;
}

}  // namespace

std::optional<uint64_t> largestListedSize(const std::string& listing) {
    static const std::string kKey = "Size = ";
    std::optional<uint64_t> largest;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, kKey.size(), kKey) != 0) continue;
        uint64_t size = 0;
        for (size_t i = kKey.size();
             i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i) {
            size = size * 10 + static_cast<uint64_t>(line[i] - '0');
        }
        if (!largest || size > *largest) largest = size;
    }
    return largest;
}

bool passesChecks(AppState& state) {
    if (!app::checkIsoChosen(state)) return false;
    if (!isoPresent(state)) {
        app::warn(state, msg::kIsoMissing);
        state.ui.enable(ControlId::kOk, true);
        return false;
    }
    const auto letter = selectedDrive(state);
    if (!letter) {
        app::warn(state, msg::kInsertUsbFirst);
        state.ui.enable(ControlId::kOk, true);
        return false;
    }
    lockTarget(state, *letter);
    if (!keepsIsoAndProgram(state) || !hasRoomForIso(state)) return false;
    if (!writeToolPayloads(state)) {
        returnToIdle(state);
        return false;
    }
    return everyFileFitsFat32(state);
}

}  // namespace kh::usb
