// The main window's fixed layout: every child control with its class, caption,
// style and position (app/controls.def), and the window's own size.
#pragma once

#include <cstdint>

#include "platform/ui.h"

namespace kh::app {

const ControlSpec& controlSpec(ControlId id);

// The main window itself.
inline constexpr const char* kWindowClass = "korvane";
// The named mutex by which a second copy finds the first, in any session:
// both would change the same boot.ini.
inline constexpr const char* kSingleInstanceMutex = "Global\\KorvaneHelper.SingleInstance";
inline constexpr int kWindowX = 350;
inline constexpr int kWindowY = 200;
inline constexpr int kWindowWidth = 500;
inline constexpr int kWindowHeight = 300;

}  // namespace kh::app
