// Numeric values of the Windows constants the portable core speaks in. They are
// the platform's own values, so the Win32 edge passes them through unchanged.
#pragma once

#include <cstdint>

namespace kh::win {

// MessageBoxA buttons and icons.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconInformation = 0x40;

// MessageBoxA answers; 0 means the box returned without an answer.
constexpr int kIdNone = 0;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// File attributes.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrNormal = 0x80;

// GetExitCodeProcess for a process that still runs.
constexpr uint32_t kStillActive = 259;

// Window styles of the main window's controls (WS_*, BS_*, ES_*, CBS_*).
constexpr uint32_t kWsChild = 0x40000000;
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsClipChildren = 0x02000000;
constexpr uint32_t kWsBorder = 0x00800000;
constexpr uint32_t kWsGroup = 0x00020000;
constexpr uint32_t kBsPushButton = 0x0;
constexpr uint32_t kBsGroupBox = 0x7;
constexpr uint32_t kBsAutoRadioButton = 0x9;
constexpr uint32_t kEsAutoHScroll = 0x80;
constexpr uint32_t kEsAutoVScroll = 0x40;
constexpr uint32_t kCbsDropDownList = 0x3;

// WM_DEVICECHANGE events that change the set of drives.
constexpr uintptr_t kDbtDeviceArrival = 0x8000;
constexpr uintptr_t kDbtDeviceRemoveComplete = 0x8004;

}  // namespace kh::win
