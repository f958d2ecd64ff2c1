// The main window's fixed layout: every child control with its class, caption,
// style and position, in creation order.
#pragma once

#include <array>
#include <cstdint>

#include "platform/ui.h"

namespace kh::app {

namespace style {
constexpr uint32_t kChild = 0x40000000;
constexpr uint32_t kVisible = 0x10000000;
constexpr uint32_t kClipChildren = 0x02000000;
constexpr uint32_t kBorder = 0x00800000;
constexpr uint32_t kGroup = 0x00020000;
constexpr uint32_t kPushButton = 0x0;
constexpr uint32_t kGroupBox = 0x7;
constexpr uint32_t kAutoRadioButton = 0x9;
constexpr uint32_t kEditAutoHScroll = 0x80;
constexpr uint32_t kEditAutoVScroll = 0x40;
constexpr uint32_t kComboDropDownList = 0x3;
constexpr uint32_t kPush = kChild | kVisible | kClipChildren | kPushButton;
}  // namespace style

const ControlSpec& controlSpec(ControlId id);
const std::array<ControlSpec, 11>& controlTable();

// The main window itself.
inline constexpr const char* kWindowClass = "korvane";
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
