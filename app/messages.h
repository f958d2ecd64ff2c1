// Texts the application shell shows (GBK after compilation).
#pragma once

namespace kh::app::msg {

inline constexpr const char* kWarning = "警告";
inline constexpr const char* kChooseIsoFirst = "请先选择ISO文件！";
inline constexpr const char* kWrongIsoFile = " 请选择正确的ISO文件 !";
inline constexpr const char* kInsertUsbFirst = "请先插入U盘!";

}  // namespace kh::app::msg
