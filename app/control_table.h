// The main window's fixed layout: every child control with its class, caption,
// style and position, and the window's own size, title and painted texts.
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
inline constexpr const char* kWindowTitle = "KorvaneLinux辅助工具";
inline constexpr int kWindowX = 350;
inline constexpr int kWindowY = 200;
inline constexpr int kWindowWidth = 500;
inline constexpr int kWindowHeight = 300;

// Texts that the window paints itself.
inline constexpr const char* kBannerText = "                           快速、方便体验KorvaneLinux";
inline constexpr const char* kIsoLabelText = "ISO文件：";

// Captions that change at run time.
inline constexpr const char* kRestoreCaption = "恢复到硬盘安装前的设置";

}  // namespace kh::app
