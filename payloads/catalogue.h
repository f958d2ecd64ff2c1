// The files carried inside the executable as "RC_DATA" resources, by number.
#pragma once

namespace kh::payloads {

enum ResourceId : int {
    kSampleMenu = 117,   // menu.lst, GBK, CR LF, 458 bytes
    kSevenZipExe = 129,  // 7z.exe, 32-bit 7-Zip console program
    kSevenZipDll = 130,  // 7z.dll, its library
    kSyslinuxExe = 138,  // syslinux.exe, SYSLINUX Windows installer
    kSyslinuxCfg = 139,  // syslinux.cfg, ASCII, LF, 1,152 bytes
    kFonts = 141,        // fonts, raw 16x16 GB2312 glyph table
    kGrldr = 143,        // grldr, the loader boot.ini starts
    kG2ldr = 144,        // g2ldr, second stage of the GRUB 2 based grldr
    kSplashImage = 152,  // greengem.xpm, 640x480 XPM, 14 colours
    kVesamenuC32 = 160,  // vesamenu.c32 of the same SYSLINUX build
    kLibcom32C32 = 161,  // libcom32.c32 of the same SYSLINUX build
    kLibutilC32 = 162,   // libutil.c32 of the same SYSLINUX build
};

constexpr int kIconGroup = 101;

}  // namespace kh::payloads
