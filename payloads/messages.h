// Texts the payload write-outs show (GBK after compilation). The hard-disk
// install and the USB media creation write the same 7-Zip files with
// different texts.
#pragma once

#include "common/messages.h"
#include "platform/winconst.h"

namespace kh::payloads::msg {

using kh::msg::kError;

// The texts of one write-out, one per step that can fail.
struct PayloadTexts {
    const char* notFound;
    const char* loadFailed;
    const char* lockFailed;
    const char* createFailed;
};

// USB media creation.
inline constexpr PayloadTexts kUsbSevenZipExe = {"找不到资源文件7z.exe", "资源文件7z.exe加载错误",
                                                 "资源文件7z.exe锁定", "资源文件7z.exe创建失败"};
inline constexpr PayloadTexts kUsbSevenZipDll = {"7z.dll加载错误", "加载7z.dll错误",
                                                 "锁定7z.dll错误", "资源文件7z.dll创建失败"};
inline constexpr PayloadTexts kUsbSyslinuxExe = {"找不到资源syslinux", "资源文件syslinux加载失败",
                                                 "资源文件syslinux锁定失败",
                                                 "资源文件syslinux.exe创建失败"};

// Hard-disk install.
inline constexpr PayloadTexts kHdSevenZipExe = {"找不到7z文件", "7z加载失败", "7z锁定失败",
                                                "7z.exe创建失败"};
inline constexpr PayloadTexts kHdSevenZipDll = {"找不到dll文件", "加载dll文件错误", "dll锁定失败",
                                                "7z.dll创建失败"};
inline constexpr PayloadTexts kHdGrldr = {"找不到资源grldr", "找不到资源文件grldr",
                                          "资源文件grldr错误", "grldr创建失败"};
inline constexpr PayloadTexts kHdG2ldr = {"找不到资源g2ldr", "找不到资源文件g2ldr",
                                          "资源文件g2ldr错误", "g2ldr创建失败"};
inline constexpr PayloadTexts kHdDefaultEntry = {"找不到资源default", "资源文件default加载错误",
                                                 "资源文件default锁定错误", "default创建失败"};
inline constexpr PayloadTexts kHdSampleMenu = {"找不到资源menu.list", "资源文件menu.list错误",
                                               "资源文件menu.list锁定错误", "menu.lst创建失败"};
inline constexpr PayloadTexts kHdFonts = {"找不到资源fonts", "资源fonts加载错误",
                                          "资源文件锁定错误", "fonts创建失败"};
inline constexpr PayloadTexts kHdSplashImage = {"找不到资源图片", "加载picture错误",
                                                "锁定picture错误", "greengem.xpm创建失败"};

// Every box says kError with the error icon, but for two of the hard-disk
// install's 7-Zip boxes.
inline constexpr unsigned kErrorFlags = win::kMbIconError;
inline constexpr const char* kHdSevenZipExeLockCaption = "error";
inline constexpr unsigned kHdSevenZipDllNotFoundFlags = win::kMbOk;

}  // namespace kh::payloads::msg
