// Texts the application shell shows (GBK after compilation).
#pragma once

#include "common/messages.h"

namespace kh::app::msg {

using kh::msg::kError;
using kh::msg::kInsertUsbFirst;
using kh::msg::kWarning;

inline constexpr const char* kChooseIsoFirst = "请先选择ISO文件！";
inline constexpr const char* kWrongIsoFile = " 请选择正确的ISO文件 !";
inline constexpr const char* kIsoPathNotAbsolute = "请输入ISO文件的完整路径，例如 D:\\live.iso";
inline constexpr const char* kInternalError = "程序内部错误，即将退出";

}  // namespace kh::app::msg
