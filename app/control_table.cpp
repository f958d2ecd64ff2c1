#include "app/control_table.h"

#include <array>
#include <stdexcept>

#include "common/texts.h"

namespace kh::app {

namespace {

// Window styles of the controls (WS_*, BS_*, ES_*, CBS_*).
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

constexpr Coordinate at(int v) { return {v, false}; }
constexpr Coordinate back(int v) { return {v, true}; }

// In creation order.
const std::array<ControlSpec, 11> kTable = {{
    {ControlId::kIsoPath, "EDIT", "",
     kChild | kVisible | kBorder | kEditAutoHScroll | kEditAutoVScroll, at(115), at(186), 275, 25},
    {ControlId::kModeGroup, "BUTTON", msg::kModeGroupCaption,
     kChild | kVisible | kClipChildren | kGroup | kGroupBox, at(50), at(55), 395, 120},
    {ControlId::kModeHarddisk, "BUTTON", msg::kModeHarddiskCaption,
     kChild | kVisible | kClipChildren | kAutoRadioButton, at(95), at(87), 330, 20},
    {ControlId::kModeUsb, "BUTTON", msg::kModeUsbCaption,
     kChild | kVisible | kClipChildren | kAutoRadioButton, at(95), at(125), 225, 22},
    {ControlId::kDriveList, "COMBOBOX", "",
     kChild | kVisible | kClipChildren | kBorder | kComboDropDownList, at(320), at(125), 45, 150},
    {ControlId::kBrowse, "BUTTON", msg::kBrowseCaption, kPush, at(395), at(185), 50, 26},
    {ControlId::kStatusFormat, "BUTTON", msg::kStatusFormatCaption, kPush, at(120), back(33), 180,
     26},
    {ControlId::kStatusCopy, "BUTTON", msg::kStatusCopyCaption, kPush, at(120), back(33), 180, 26},
    {ControlId::kStatusConfig, "BUTTON", msg::kConfiguring, kPush, at(47), back(33), 280, 26},
    {ControlId::kExit, "BUTTON", msg::kExitCaption, kPush, back(75), back(33), 45, 26},
    {ControlId::kOk, "BUTTON", msg::kOkCaption, kPush, back(140), back(33), 45, 26},
}};
}  // namespace

const ControlSpec& controlSpec(ControlId id) {
    for (const auto& spec : kTable) {
        if (spec.id == id) return spec;
    }
    throw std::out_of_range("unknown control id");
}

}  // namespace kh::app
