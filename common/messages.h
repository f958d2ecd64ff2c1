// Captions and messages that both procedures and the window show (GBK after
// compilation).
#pragma once

#include "common/report.h"
#include "platform/winconst.h"

namespace kh::msg {

inline constexpr const char* kWarning = "警告";
inline constexpr const char* kError = "错误";
inline constexpr const char* kNotice = "提示";

// A refused input or missing prerequisite, in the program's style.
constexpr Message refusal(const char* text) {
    return {text, kWarning, win::kMbIconWarning, MessageKind::kRefusal};
}

inline constexpr Message kIsoMissing = refusal("ISO文件不存在");
inline constexpr Message kInsertUsbFirst = refusal("请先插入U盘!");

}  // namespace kh::msg
