#include "usbmedia/progress.h"

#include "platform/winconst.h"
#include "usbmedia/finish.h"
#include "usbmedia/iso_extraction.h"
#include "usbmedia/messages.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

constexpr const char* kLiveImage = "LiveOS\\squashfs.img";
constexpr uint64_t kCreepFrom = 95;
constexpr uint64_t kComplete = 100;

// 7-Zip's exit codes up to this one mean every file was extracted (1 is a
// warning only).
constexpr uint32_t kLastSuccessCode = 1;

std::optional<uint64_t> percentFromLiveImage(AppState& state) {
    const std::string image = onTarget(state, kLiveImage);
    if (!state.sys.fileExists(image)) return std::nullopt;
    const auto bytes = state.sys.fileSize(image);
    if (!bytes) return std::nullopt;
    return rawPercent(*bytes, state.usb.isoBytes);
}

void showProgress(AppState& state) {
    // A report too long to read is no worse than none: the image size is
    // the fallback.
    const FileContent report = state.sys.readFile(progressLogPath(state), kMaxTextFileBytes);
    auto raw = report.status == FileContent::Status::kOk ? lastReportedPercent(report.bytes)
                                                         : std::nullopt;
    if (!raw) raw = percentFromLiveImage(state);
    if (!raw) return;
    state.ui.setText(ControlId::kStatusCopy, progressText(*raw, state.usb.creepCounter));
}

void failExtraction(AppState& state) {
    showError(state, msg::kCopyFailed);
    state.ui.show(ControlId::kStatusCopy, false);
    endCreation(state);
}

}  // namespace

uint64_t rawPercent(uint64_t imageBytes, uint64_t isoBytes) {
    return isoBytes == 0 ? 0 : imageBytes * 100 / isoBytes;
}

std::optional<uint64_t> lastReportedPercent(std::string_view report) {
    // Each update is a line of its own, ended by CR: " 37% 12 - LiveOS\squashfs.img".
    std::optional<uint64_t> last;
    size_t begin = 0;
    while (begin < report.size()) {
        size_t end = report.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) end = report.size();
        std::string_view line = report.substr(begin, end - begin);
        const size_t digits = line.find_first_not_of(' ');
        const size_t sign = line.find('%');
        if (digits != std::string_view::npos && sign != std::string_view::npos && sign > digits &&
            sign - digits <= 3 &&
            line.substr(digits, sign - digits).find_first_not_of("0123456789") ==
                std::string_view::npos) {
            last = std::stoull(std::string(line.substr(digits, sign - digits)));
        }
        begin = end + 1;
    }
    return last;
}

std::string progressText(uint64_t raw, int& creepCounter) {
    uint64_t shown = raw;
    if (raw >= kCreepFrom && raw <= kComplete) shown = raw + static_cast<uint64_t>(creepCounter++);
    // The image is complete well before 7-Zip has written the rest of the ISO.
    if (shown >= kComplete) return msg::kConfiguring;
    return withNumber(msg::kCopyProgress, shown);
}

void onCopyTimer(AppState& state) {
    if (state.usb.stage != UsbStage::kExtracting) return;
    showProgress(state);
    const auto code = state.sys.exitCode(state.extractionChild);
    if (code == win::kStillActive) return;
    state.ui.killTimer(kCopyTimer);
    state.sys.closeProcess(state.extractionChild);
    state.extractionChild = 0;
    if (code && *code <= kLastSuccessCode) {
        finishUsbMedia(state);
    } else {
        failExtraction(state);
    }
}

}  // namespace kh::usb
