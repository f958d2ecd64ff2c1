// Texts the application shell shows (GBK after compilation), and the
// captions and texts that every part of the program shares.
#pragma once

namespace kh::app::msg {

inline constexpr const char* kWarning = "警告";
inline constexpr const char* kError = "错误";
inline constexpr const char* kNotice = "提示";
inline constexpr const char* kIsoMissing = "ISO文件不存在";
inline constexpr const char* kChooseIsoFirst = "请先选择ISO文件！";
inline constexpr const char* kWrongIsoFile = " 请选择正确的ISO文件 !";
inline constexpr const char* kInsertUsbFirst = "请先插入U盘!";
inline constexpr const char* kIsoPathNotAbsolute = "请输入ISO文件的完整路径，例如 D:\\live.iso";
inline constexpr const char* kInternalError = "程序内部错误，即将退出";

}  // namespace kh::app::msg
