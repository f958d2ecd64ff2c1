#include "usbmedia/child_wait.h"

namespace kh::usb {

namespace {
constexpr uint32_t kSliceMs = 100;
}  // namespace

bool waitForChild(AppState& state, ProcessHandle child, uint32_t limitMs, bool keepPainted) {
    for (uint32_t waited = 0; waited < limitMs; waited += kSliceMs) {
        if (state.sys.waitForExit(child, kSliceMs)) return true;
        if (keepPainted) state.ui.keepPainted();
    }
    return false;
}

}  // namespace kh::usb
