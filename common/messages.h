// Captions and texts that both procedures and the window show (GBK after
// compilation).
#pragma once

namespace kh::msg {

inline constexpr const char* kWarning = "警告";
inline constexpr const char* kError = "错误";
inline constexpr const char* kNotice = "提示";
inline constexpr const char* kIsoMissing = "ISO文件不存在";
inline constexpr const char* kInsertUsbFirst = "请先插入U盘!";

}  // namespace kh::msg
