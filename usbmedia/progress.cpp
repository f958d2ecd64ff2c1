#include "usbmedia/progress.h"

#include "common/live_iso.h"
#include "common/report.h"
#include "common/sevenzip.h"
#include "common/texts.h"
#include "platform/winconst.h"
#include "usbmedia/finish.h"
#include "usbmedia/iso_extraction.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

constexpr uint64_t kCreepFrom = 95;
constexpr uint64_t kComplete = 100;

std::optional<uint64_t> percentFromLiveImage(UsbState& state) {
    const std::string image = onTarget(state, live::kLiveImage);
    if (!state.sys.fileExists(image)) return std::nullopt;
    const auto bytes = state.sys.fileSize(image);
    if (!bytes) return std::nullopt;
    return rawPercent(*bytes, state.session.isoBytes);
}

void failExtraction(UsbState& state) {
    show(state.shared, msg::kCopyFailed);
    state.ui.show(ControlId::kStatusCopy, false);
    endCreation(state);
}

}  // namespace

uint64_t rawPercent(uint64_t imageBytes, uint64_t isoBytes) {
    return isoBytes == 0 ? 0 : imageBytes * 100 / isoBytes;
}

std::string progressText(uint64_t raw, int& creepCounter) {
    uint64_t shown = raw;
    if (raw >= kCreepFrom && raw <= kComplete) shown = raw + static_cast<uint64_t>(creepCounter++);
    // The image is complete well before 7-Zip has written the rest of the ISO.
    if (shown >= kComplete) return msg::kConfiguring;
    return withNumber(msg::kCopyProgress, shown);
}

void showProgress(UsbState& state) {
    // A report too long to read is no worse than none: the image size is
    // the fallback.
    const auto log = progressLogPath(state);
    const FileContent report = log ? state.sys.readFile(*log, kMaxTextFileBytes) : FileContent{};
    auto raw = report.status == FileContent::Status::kOk
                   ? sevenzip::lastReportedPercent(report.bytes)
                   : std::nullopt;
    if (!raw) raw = percentFromLiveImage(state);
    if (!raw) return;
    state.ui.setText(ControlId::kStatusCopy, progressText(*raw, state.session.creepCounter));
}

void onExtractionEnded(UsbState& state) {
    // The last percentage, as a tick that found 7-Zip ended showed it.
    showProgress(state);
    const auto code = state.sys.exitCode(state.shared.extractionChild);
    state.ui.killTimer(kCopyTimer);
    state.sys.closeProcess(state.shared.extractionChild);
    state.shared.extractionChild = 0;
    if (code && sevenzip::succeeded(*code)) {
        finishUsbMedia(state);
    } else {
        failExtraction(state);
    }
}

}  // namespace kh::usb
