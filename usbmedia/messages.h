// Messages the USB media creation shows (GBK after compilation), each with
// its caption, flags and kind, and the texts of its status button.
#pragma once

#include "common/messages.h"

namespace kh::usb::msg {

using kh::msg::kError;
using kh::msg::kInsertUsbFirst;
using kh::msg::kIsoMissing;
using kh::msg::kNotice;
using kh::msg::kWarning;
using kh::msg::refusal;

constexpr Message error(const char* text) {
    return {text, kError, win::kMbIconError, MessageKind::kFailure};
}
constexpr Message notice(const char* text) {
    return {text, kNotice, win::kMbIconInformation, MessageKind::kNotice};
}

// Checks before anything is written to the drive.
inline constexpr Message kDriveNotFound = {"找不到所选磁盘驱动器", kWarning, win::kMbOkCancel,
                                           MessageKind::kRefusal};
// %d: the ISO's size in MB.
inline constexpr Message kNotEnoughSpace = refusal("设备空间不够，至少需要%dM");
inline constexpr Message kFileTooLargeForFat32 =
    refusal("ISO中有大于4GB的文件，FAT32格式的U盘无法存放");
inline constexpr Message kIsoUnreadable = {"无法读取ISO文件，请检查ISO文件是否完整", kError,
                                           win::kMbIconError, MessageKind::kRefusal};
// %s: the file's path in the ISO.
inline constexpr Message kIsoLacksBootFile = {"ISO文件中没有%s，无法制作启动U盘", kError,
                                              win::kMbIconError, MessageKind::kRefusal};
inline constexpr Message kIsoOnTarget = refusal("ISO文件在所选U盘上，请先把它复制到其他磁盘");
inline constexpr Message kProgramOnTarget = refusal("本程序在所选U盘上，请从其他磁盘运行本程序");

// Formatting. %s: the drive, as kDriveLabelled or kDriveUnlabelled name it.
inline constexpr Message kFormatQuestion = {"是否格式化 %s？格式化前请备份自己重要数据。", "格式化",
                                            win::kMbYesNo | win::kMbIconQuestion,
                                            MessageKind::kQuestion};
// %s: the letter ("G:"), the label, the size ("7.4 GB", "512 MB").
inline constexpr const char* kDriveLabelled = "%s（%s，%s）";
inline constexpr const char* kDriveUnlabelled = "%s（%s）";
// The drive under the letter is not the one the question named: swapped or
// pulled while it was asked.
inline constexpr Message kDriveChanged =
    refusal("所选U盘已被更换或拔出，没有做任何更改。请重新选择U盘");
inline constexpr Message kFormatFailed = error("格式化出错");
inline constexpr Message kFormatDone = notice("格式化完成！");

// Extraction.
inline constexpr Message kProcessFailed = {"创建进程失败", kWarning, win::kMbOk,
                                           MessageKind::kFailure};
inline constexpr Message kCopyFailed = error("复制文件出错，请检查ISO文件和U盘");

// Finish.
inline constexpr Message kInstallerFailed = error("安装SYSLINUX引导失败");
inline constexpr Message kDone = notice("恭喜完成,可以重启选择从USB启动！");

// The status button's texts while the creation runs.
inline constexpr const char* kPreparing = "初始化设置，请等待...";
inline constexpr const char* kCopyProgress = "复制文件，已完成:%d%";  // %d: percentage
inline constexpr const char* kConfiguring = "正在配置文件，请等待...";

}  // namespace kh::usb::msg
