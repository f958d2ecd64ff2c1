// The format question and both of its answers: formatting the target drive
// FAT32 with the label BOOT and watching for the label to appear, or only
// relabelling it.
#pragma once

#include "app/app_state.h"

namespace kh::usb {

// Asks whether to format; Yes starts the format route (the posted start-format
// message and the format watch timer), No relabels the drive BOOT and starts
// the extraction once the label reads back BOOT.
void askToFormat(AppState& state);

// The posted start-format message.
void startFormat(AppState& state);

// The format watch timer: the label BOOT means the format is done; a format
// child that ended without it failed.
void watchFormat(AppState& state);

}  // namespace kh::usb
