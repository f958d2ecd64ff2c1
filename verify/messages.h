// Messages and status texts of the media checks (GBK after compilation), each
// with its caption, flags and kind.
#pragma once

#include "common/messages.h"

namespace kh::verify::msg {

// The ISO against its published checksum. %1: the ISO's file name, %2: the
// checksum file's name.
inline constexpr Message kIsoMismatch = {"ISO文件校验失败（%1，%2），文件可能已损坏，请重新下载。",
                                         kh::msg::kError, win::kMbIconError, MessageKind::kRefusal};
inline constexpr Message kIsoUnreadable = {"无法读取ISO文件（%1），无法校验，请检查ISO文件",
                                           kh::msg::kError, win::kMbIconError,
                                           MessageKind::kRefusal};
inline constexpr const char* kChecksumCaption = "ISO文件校验";
inline constexpr Message kChecksumUnreadable = {
    "无法读取校验文件（%2），不能校验ISO文件（%1）。是否不校验继续？", kChecksumCaption,
    win::kMbYesNo | win::kMbIconWarning, MessageKind::kQuestion};
inline constexpr Message kChecksumMalformed = {
    "校验文件（%2）内容有误，不能校验ISO文件（%1）。是否不校验继续？", kChecksumCaption,
    win::kMbYesNo | win::kMbIconWarning, MessageKind::kQuestion};

// What was written against what it should hold. %1: the first file that
// differs, as it lies on the drive.
inline constexpr Message kStickDiffers = {"U盘校验失败：%1，U盘可能已损坏或容量不实。",
                                          kh::msg::kError, win::kMbIconError,
                                          MessageKind::kFailure};
inline constexpr Message kDiskDiffers = {"校验失败：%1，硬盘上的文件与ISO文件中的不同。",
                                         kh::msg::kError, win::kMbIconError, MessageKind::kFailure};
// The check could not be made to its end (7-Zip failed, a file could not be
// read): nothing is known to be good.
inline constexpr Message kStickUnverified = {"U盘校验未能完成（%1），无法确认U盘上的文件完好。",
                                             kh::msg::kError, win::kMbIconError,
                                             MessageKind::kFailure};
inline constexpr Message kDiskUnverified = {"校验未能完成（%1），无法确认提取的文件完好。",
                                            kh::msg::kError, win::kMbIconError,
                                            MessageKind::kFailure};

// The status line while a check runs; %d: percentage.
inline constexpr const char* kIsoProgress = "校验ISO文件，已完成:%d%";
inline constexpr const char* kStickProgress = "校验U盘，已完成:%d%";
inline constexpr const char* kDiskProgress = "校验文件，已完成:%d%";

}  // namespace kh::verify::msg
