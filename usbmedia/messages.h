// Texts the USB media creation shows (GBK after compilation).
#pragma once

#include "app/messages.h"

namespace kh::usb::msg {

using app::msg::kError;
using app::msg::kInsertUsbFirst;
using app::msg::kIsoMissing;
using app::msg::kNotice;
using app::msg::kWarning;

// Checks before anything is written to the drive.
inline constexpr const char* kDriveNotFound = "找不到所选磁盘驱动器";
inline constexpr const char* kNotEnoughSpace = "设备空间不够，至少需要%dM";  // %d: ISO size in MB
inline constexpr const char* kFileTooLargeForFat32 = "ISO中有大于4GB的文件，FAT32格式的U盘无法存放";
inline constexpr const char* kIsoUnreadable = "无法读取ISO文件，请检查ISO文件是否完整";
inline constexpr const char* kIsoOnTarget = "ISO文件在所选U盘上，请先把它复制到其他磁盘";
inline constexpr const char* kProgramOnTarget = "本程序在所选U盘上，请从其他磁盘运行本程序";

// Formatting.
inline constexpr const char* kFormatQuestion = "是否格式化？格式化前请备份自己重要数据。";
inline constexpr const char* kFormatCaption = "格式化";
inline constexpr const char* kFormatFailed = "格式化出错";
inline constexpr const char* kFormatDone = "格式化完成！";
inline constexpr const char* kPreparing = "初始化设置，请等待...";

// Extraction.
inline constexpr const char* kProcessFailed = "创建进程失败";
inline constexpr const char* kCopyProgress = "复制文件，已完成:%d%";  // %d: percentage
inline constexpr const char* kConfiguring = "正在配置文件，请等待...";
inline constexpr const char* kCopyFailed = "复制文件出错，请检查ISO文件和U盘";

// Finish.
inline constexpr const char* kInstallerFailed = "安装SYSLINUX引导失败";
inline constexpr const char* kDone = "恭喜完成,可以重启选择从USB启动！";

}  // namespace kh::usb::msg
