// Messages the application shell shows (GBK after compilation).
#pragma once

#include "common/messages.h"

namespace kh::app::msg {

using kh::msg::kInsertUsbFirst;
using kh::msg::refusal;

inline constexpr Message kChooseIsoFirst = refusal("请先选择ISO文件！");
inline constexpr Message kWrongIsoFile = refusal(" 请选择正确的ISO文件 !");
inline constexpr Message kIsoPathNotAbsolute =
    refusal("请输入ISO文件的完整路径，例如 D:\\live.iso");
// A second copy would share the drive, boot.ini and the tools of the first.
inline constexpr Message kAlreadyRunning = {"本程序已经在运行，请不要同时运行多个",
                                            kh::msg::kWarning, win::kMbIconWarning,
                                            MessageKind::kNotice, BoxOwner::kNone};
inline constexpr Message kInternalError = {"程序内部错误，即将退出", kh::msg::kError,
                                           win::kMbIconError, MessageKind::kFailure};

}  // namespace kh::app::msg
