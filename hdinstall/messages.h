// Messages the hard-disk side shows (GBK after compilation), each with its
// caption, flags and kind.
#pragma once

#include "common/messages.h"

namespace kh::hd::msg {

using kh::msg::kError;
using kh::msg::kIsoMissing;
using kh::msg::kNotice;
using kh::msg::kWarning;
using kh::msg::refusal;

constexpr Message failure(const char* text, const char* caption, unsigned flags) {
    return {text, caption, flags, MessageKind::kFailure};
}
constexpr Message error(const char* text) { return failure(text, kError, win::kMbIconError); }

// Start-up checks. The disk is read before the main window exists.
inline constexpr Message kDiskNotFound = {"找不到磁盘", kError, win::kMbIconError,
                                          MessageKind::kFailure, BoxOwner::kNone};
inline constexpr Message kMbrReadError = {"读取MBR出错", kError, win::kMbIconError,
                                          MessageKind::kFailure, BoxOwner::kNone};
// Followed by the boot.ini path.
inline constexpr Message kCannotFind = failure("找不到", kWarning, win::kMbIconWarning);
inline constexpr Message kAdminRequired =
    failure("必须有管理员权限！", kWarning, win::kMbIconWarning);

// boot.ini rewrites.
inline constexpr Message kFindError = {"Find error", "xiexie", win::kMbOk, MessageKind::kNotice};
inline constexpr Message kBootIniNotFound = error("找不到boot.ini文件");
inline constexpr Message kBootIniTempError = error("创建boot.ini临时文件出错");
inline constexpr Message kBootIniRenameError =
    failure("重命名boot.ini错误", kError, win::kMbIconWarning);
inline constexpr Message kBootIniProcessError =
    failure("处理boot.ini错误", kError, win::kMbIconWarning);
inline constexpr Message kBootIniNotText = error("boot.ini文件过大或不是文本文件");
inline constexpr Message kNoOperatingSystems =
    refusal("boot.ini中没有[operating systems]一节，无法添加启动项，未做任何修改");

// Menu rewrite.
inline constexpr Message kMenuOpenError = error("打开文件munu.list错误");
inline constexpr Message kMenuTempError = error("创建临时文件munu.list失败");
inline constexpr Message kMenuRenameError = failure("menu重命名错误", "Error", win::kMbOk);
inline constexpr Message kMenuNotText = error("menu.lst文件过大或不是文本文件");

// Install. The move question is followed by the ISO path, " 到 " and the
// root path.
inline constexpr Message kMoveQuestion = {
    "是否同意移动文件", kNotice, win::kMbYesNo | win::kMbIconQuestion, MessageKind::kQuestion};
inline constexpr const char* kMoveQuestionJoin = " 到 ";
inline constexpr Message kMoveFailed =
    failure("移动文件失败，检查空间或者手动移动", "Error", win::kMbIconError);
inline constexpr Message kVolumeOpenError = {"createfile Can't open current dir ", "current dir",
                                             win::kMbOk, MessageKind::kRefusal};
inline constexpr Message kVolumeQueryError = {"Deviceiocontrol currentdir error ", "current dir",
                                              win::kMbOk, MessageKind::kRefusal};
inline constexpr Message kExtractKernelFailed =
    failure("提取vmlinux失败", "提取文件错误", win::kMbIconError);
inline constexpr Message kExtractInitrdFailed =
    failure("提取initrd失败", "提取文件错误", win::kMbIconError);
inline constexpr Message kRestartQuestion = {"恭喜完成，是否重启计算机？", "重启",
                                             win::kMbOkCancel | win::kMbIconQuestion,
                                             MessageKind::kQuestion};
inline constexpr Message kRestartImpossible =
    failure("无法重启计算机，请手动重启", kWarning, win::kMbIconWarning);
// Checks of the ISO and the system drive before anything changes.
inline constexpr Message kIsoLabelWrong =
    refusal("ISO文件的卷标不是korvane-QX2-livecd，启动后找不到系统。请选择正确的ISO文件");
inline constexpr Message kIsoNotListed =
    refusal("无法用7-Zip读取ISO文件的内容，ISO文件可能已损坏，未做任何修改");
inline constexpr Message kIsoLacksBootFiles = refusal(
    "ISO文件中缺少isolinux\\vmlinuz0或isolinux\\initrd4disk.img，无法硬盘安装，未做任何修改");
inline constexpr Message kNoSpace = refusal("系统盘剩余空间不足，无法写入启动文件，未做任何修改");
inline constexpr Message kKeepAsideFailed =
    error("无法将系统盘上其他启动工具的文件改名保存，安装已撤销");
inline constexpr Message kRecordWriteError = error("写入安装记录korvane.rec失败，安装已撤销");
// A failure after the first change, once everything was undone but these
// (followed by the failure's own text, then the paths, one a line).
inline constexpr Message kUndoIncomplete =
    failure("安装失败，以下文件未能恢复原状，请手动处理：", kError, win::kMbIconError);
inline constexpr Message kNoSystemPartition =
    refusal("找不到系统分区（启动分区），无法进行硬盘安装");
inline constexpr Message kNoMasterBootRecord =
    refusal("第一块硬盘没有有效的主引导记录，无法进行硬盘安装");
inline constexpr Message kGptDisk = refusal("第一块硬盘是GPT分区格式，无法进行硬盘安装");
inline constexpr Message kIsoNotOnFirstDisk = refusal("ISO文件必须放在第一块硬盘的分区上");
inline constexpr Message kIsoPartitionNotInTable =
    refusal("第一块硬盘的分区表中找不到ISO文件所在的分区");
inline constexpr Message kSystemNotOnFirstDisk =
    refusal("系统分区不在第一块硬盘上，无法进行硬盘安装");
inline constexpr Message kSystemPartitionNotInTable = refusal("第一块硬盘的分区表中找不到系统分区");

// Restore. The left-over message is followed by the paths, one a line.
inline constexpr Message kRestoreDone = {"如果想重新硬盘安装请继续运行本工具", "成功清除",
                                         win::kMbIconInformation, MessageKind::kNotice};
inline constexpr Message kRecordUnreadable =
    error("无法读取安装记录korvane.rec，为保护其他启动工具的文件，未做任何修改");
inline constexpr Message kRestoreFileFailed =
    error("无法移走安装的文件或放回其他启动工具的文件，清除已撤销，未做任何修改");
inline constexpr Message kRestoreUndoIncomplete =
    failure("清除失败，以下文件未能恢复原状，请手动处理：", kError, win::kMbIconError);
inline constexpr Message kRestoreLeftOver =
    failure("以下文件无法删除，请手动删除：", kWarning, win::kMbIconWarning);

}  // namespace kh::hd::msg
