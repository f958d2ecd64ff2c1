// Each payload's messages (texts in payloads/messages.h), per procedure that
// writes it. Every file that cannot be written is reported: a boot file that silently
// stayed missing would leave a boot entry that cannot start.
#pragma once

#include <string>

#include "payloads/write_out.h"

namespace kh::payloads {

// USB media creation.
PayloadMessages usbSevenZipExe();
PayloadMessages usbSevenZipDll();
PayloadMessages usbSyslinuxExe();
PayloadMessages usbSyslinuxCfg();

// Hard-disk install.
PayloadMessages hdSevenZipExe();
PayloadMessages hdSevenZipDll();
PayloadMessages hdGrldr();
PayloadMessages hdG2ldr();
PayloadMessages hdDefaultEntry();
PayloadMessages hdSampleMenu();
PayloadMessages hdFonts();
PayloadMessages hdSplashImage();

// Further files written in the style of the syslinux.cfg messages, e.g. the
// SYSLINUX modules: "找不到资源文件<name>" and so on.
PayloadMessages resourceFileMessages(const std::string& fileName);

}  // namespace kh::payloads
