// The tracked extraction child and the tool payloads written next to the
// program: how they are stopped and removed when the program ends.
#include "app/handover.h"

namespace kh::usb {

namespace {
// How long the exit command waits for a terminated 7-Zip to be gone before
// it deletes the files that process still holds open.
constexpr uint32_t kTerminateWaitMs = 3000;
}  // namespace

void stopExtractionChild(AppState& state, bool waitForEnd) {
    if (state.extractionChild == 0) return;
    state.sys.terminate(state.extractionChild, 0);
    if (waitForEnd) state.sys.waitForExit(state.extractionChild, kTerminateWaitMs);
}

void deleteToolPayloads(AppState& state) {
    for (const std::string& path : state.toolPaths) state.sys.deleteFile(path);
}

}  // namespace kh::usb
