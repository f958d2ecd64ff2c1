#include "app/control_table.h"

#include <stdexcept>

#include "common/texts.h"
#include "platform/winconst.h"

namespace kh::app {

namespace {

constexpr uint32_t kPush =
    win::kWsChild | win::kWsVisible | win::kWsClipChildren | win::kBsPushButton;

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
