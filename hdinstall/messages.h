// Texts the hard-disk side shows (GBK after compilation).
#pragma once

#include "app/messages.h"

namespace kh::hd::msg {

using app::msg::kError;
using app::msg::kIsoMissing;
using app::msg::kNotice;
using app::msg::kWarning;

// Start-up checks.
inline constexpr const char* kDiskNotFound = "找不到磁盘";
inline constexpr const char* kMbrReadError = "读取MBR出错";
inline constexpr const char* kCannotFind = "找不到";  // followed by the boot.ini path
inline constexpr const char* kAdminRequired = "必须有管理员权限！";

// boot.ini rewrites.
inline constexpr const char* kFindError = "Find error";
inline constexpr const char* kFindErrorCaption = "xiexie";
inline constexpr const char* kBootIniNotFound = "找不到boot.ini文件";
inline constexpr const char* kBootIniTempError = "创建boot.ini临时文件出错";
inline constexpr const char* kBootIniRenameError = "重命名boot.ini错误";
inline constexpr const char* kBootIniProcessError = "处理boot.ini错误";
inline constexpr const char* kBootIniNotText = "boot.ini文件过大或不是文本文件";

// Menu rewrite.
inline constexpr const char* kMenuOpenError = "打开文件munu.list错误";
inline constexpr const char* kMenuTempError = "创建临时文件munu.list失败";
inline constexpr const char* kMenuRenameError = "menu重命名错误";
inline constexpr const char* kMenuRenameCaption = "Error";
inline constexpr const char* kMenuNotText = "menu.lst文件过大或不是文本文件";

// Install.
inline constexpr const char* kMoveQuestion = "是否同意移动文件";  // + ISO path + " 到 " + root path
inline constexpr const char* kMoveQuestionJoin = " 到 ";
inline constexpr const char* kMoveFailed = "移动文件失败，检查空间或者手动移动";
inline constexpr const char* kMoveFailedCaption = "Error";
inline constexpr const char* kVolumeOpenError = "createfile Can't open current dir ";
inline constexpr const char* kVolumeQueryError = "Deviceiocontrol currentdir error ";
inline constexpr const char* kCurrentDirCaption = "current dir";
inline constexpr const char* kExtractKernelFailed = "提取vmlinux失败";
inline constexpr const char* kExtractInitrdFailed = "提取initrd失败";
inline constexpr const char* kExtractCaption = "提取文件错误";
inline constexpr const char* kRestartQuestion = "恭喜完成，是否重启计算机？";
inline constexpr const char* kRestartCaption = "重启";
inline constexpr const char* kRestartImpossible = "无法重启计算机，请手动重启";
inline constexpr const char* kNoSystemPartition = "找不到系统分区（启动分区），无法进行硬盘安装";
inline constexpr const char* kNoMasterBootRecord =
    "第一块硬盘没有有效的主引导记录，无法进行硬盘安装";
inline constexpr const char* kGptDisk = "第一块硬盘是GPT分区格式，无法进行硬盘安装";
inline constexpr const char* kIsoNotOnFirstDisk = "ISO文件必须放在第一块硬盘的分区上";
inline constexpr const char* kIsoPartitionNotInTable =
    "第一块硬盘的分区表中找不到ISO文件所在的分区";
inline constexpr const char* kSystemNotOnFirstDisk = "系统分区不在第一块硬盘上，无法进行硬盘安装";
inline constexpr const char* kSystemPartitionNotInTable = "第一块硬盘的分区表中找不到系统分区";

// Restore.
inline constexpr const char* kRestoreDone = "如果想重新硬盘安装请继续运行本工具";
inline constexpr const char* kRestoreDoneCaption = "成功清除";
inline constexpr const char* kRestoreLeftOver = "以下文件无法删除，请手动删除：";

}  // namespace kh::hd::msg
