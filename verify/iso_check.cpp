#include "verify/iso_check.h"

#include "common/texts.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"
#include "verify/checksum_file.h"
#include "verify/file_hash.h"

namespace kh::verify {

namespace {

void replaceAll(std::string& text, const std::string& marker, const std::string& value) {
    for (size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
}

IsoCheck refuse(SharedState& state, const Message& message, const std::string& text) {
    show(state, message, text);
    return IsoCheck::kRefused;
}

// A checksum file that cannot be trusted: the user decides whether to go on
// without the check.
IsoCheck askToGoOnUnchecked(SharedState& state, const ChecksumLookup& lookup,
                            const std::string& isoName) {
    const Message& question = lookup.status == ChecksumLookup::Status::kUnreadable
                                  ? msg::kChecksumUnreadable
                                  : msg::kChecksumMalformed;
    const int answer = show(state, question, filledIn(question.text, isoName, lookup.checksumFile));
    if (state.stopRequested) return IsoCheck::kStopped;
    if (answer == win::kIdYes) return IsoCheck::kPassed;
    state.ui.enable(ControlId::kOk, true);
    return IsoCheck::kRefused;
}

// The window answers while the ISO is read; what it is asked then cannot
// change the ISO checked, which the request fixed.
IsoCheck compareDigest(SharedState& state, const std::string& isoPath, const ChecksumLookup& lookup,
                       ControlId status) {
    const std::string isoName = fileNameOf(isoPath);
    const std::string shownBefore = state.ui.text(status);
    state.ui.show(status, true);
    const FileHash hash = hashFile(state.sys, isoPath, lookup.algorithm, [&](int percent) {
        return showCheckProgress(state, status, msg::kIsoCheckProgress, percent);
    });
    state.ui.show(status, false);
    state.ui.setText(status, shownBefore);
    switch (hash.status) {
        case FileHash::Status::kCancelled:
            return IsoCheck::kStopped;
        case FileHash::Status::kUnreadable:
            return refuse(state, msg::kIsoUnreadable, msg::kIsoUnreadable.text);
        case FileHash::Status::kDone:
            break;
    }
    if (hash.hexDigest == lookup.hexDigest) return IsoCheck::kPassed;
    return refuse(state, msg::kIsoMismatch,
                  filledIn(msg::kIsoMismatch.text, isoName, lookup.checksumFile));
}

}  // namespace

std::string filledIn(const char* pattern, const std::string& first, const std::string& second) {
    std::string text = pattern;
    replaceAll(text, "%1", first);
    replaceAll(text, "%2", second);
    return text;
}

bool showCheckProgress(SharedState& state, ControlId status, const char* pattern, int percent) {
    std::string text = pattern;
    const size_t at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(percent));
    if (state.ui.text(status) != text) state.ui.setText(status, text);
    const bool answering = state.ui.handlePendingMessages();
    return answering && !state.stopRequested;
}

IsoCheck checkIsoBeforeChanges(SharedState& state, const std::string& isoPath, ControlId status) {
    if (state.stopRequested) return IsoCheck::kStopped;
    const ChecksumLookup lookup = findPublishedChecksum(state.sys, isoPath);
    const std::string isoName = fileNameOf(isoPath);
    switch (lookup.status) {
        case ChecksumLookup::Status::kNone:
            return IsoCheck::kPassed;
        case ChecksumLookup::Status::kUnreadable:
        case ChecksumLookup::Status::kMalformed:
            return askToGoOnUnchecked(state, lookup, isoName);
        case ChecksumLookup::Status::kFound:
            break;
    }
    return compareDigest(state, isoPath, lookup, status);
}

}  // namespace kh::verify
