#include "app/control_table.h"

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

const ControlSpec kTable[] = {
#define KH_CONTROL(id, className, caption, style, x, y, width, height) \
    {ControlId::id, className, caption, style, x, y, width, height},
#include "app/controls.def"
#undef KH_CONTROL
};

}  // namespace

const ControlSpec& controlSpec(ControlId id) {
    for (const auto& spec : kTable) {
        if (spec.id == id) return spec;
    }
    throw std::out_of_range("unknown control id");
}

}  // namespace kh::app
