// Everything the window's handlers share for the life of the program: the
// state both procedures share, the hard-disk state and the USB session.
#pragma once

#include "common/shared_state.h"
#include "hdinstall/disk_state.h"
#include "usbmedia/session.h"

namespace kh {

// Which procedure OK starts: the radio buttons set it, nothing reads it back
// from a widget.
enum class Mode { kHarddisk, kUsb };

struct AppState {
    AppState(SystemServices& system, UserInterface& window)
        : shared(system, window), hd(shared), usb(shared) {}
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    SharedState shared;
    hd::DiskState hd;
    usb::UsbState usb;
    Mode mode = Mode::kHarddisk;
};

}  // namespace kh
