#include "usbmedia/progress.h"

#include "app/handover.h"
#include "platform/winconst.h"
#include "usbmedia/finish.h"
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

void showProgress(AppState& state) {
    const std::string image = onTarget(state, kLiveImage);
    if (!state.sys.fileExists(image)) return;
    const auto bytes = state.sys.fileSize(image);
    if (!bytes) return;
    const uint64_t raw = rawPercent(*bytes, state.usb.isoBytes);
    state.ui.setText(ControlId::kStatusCopy, progressText(raw, state.usb.creepCounter));
}

void failExtraction(AppState& state) {
    showError(state, msg::kCopyFailed);
    state.ui.show(ControlId::kStatusCopy, false);
    deleteToolPayloads(state);
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
