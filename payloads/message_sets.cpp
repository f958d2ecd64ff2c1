#include "payloads/message_sets.h"

#include "payloads/messages.h"

namespace kh::payloads {

namespace {

Notice error(const std::string& text) { return {text, msg::kError, msg::kErrorFlags}; }

PayloadMessages errors(const msg::PayloadTexts& texts) {
    return PayloadMessages{error(texts.notFound), error(texts.loadFailed), error(texts.lockFailed),
                           error(texts.createFailed)};
}

}  // namespace

PayloadMessages usbSevenZipExe() { return errors(msg::kUsbSevenZipExe); }

PayloadMessages usbSevenZipDll() { return errors(msg::kUsbSevenZipDll); }

PayloadMessages usbSyslinuxExe() { return errors(msg::kUsbSyslinuxExe); }

PayloadMessages usbSyslinuxCfg() { return resourceFileMessages("syslinux.cfg"); }

PayloadMessages hdSevenZipExe() {
    PayloadMessages messages = errors(msg::kHdSevenZipExe);
    messages.lockFailed.caption = msg::kHdSevenZipExeLockCaption;
    return messages;
}

PayloadMessages hdSevenZipDll() {
    PayloadMessages messages = errors(msg::kHdSevenZipDll);
    messages.notFound.flags = msg::kHdSevenZipDllNotFoundFlags;
    return messages;
}

PayloadMessages hdGrldr() { return errors(msg::kHdGrldr); }

PayloadMessages hdG2ldr() { return errors(msg::kHdG2ldr); }

PayloadMessages hdDefaultEntry() { return errors(msg::kHdDefaultEntry); }

PayloadMessages hdSampleMenu() { return errors(msg::kHdSampleMenu); }

PayloadMessages hdFonts() { return errors(msg::kHdFonts); }

PayloadMessages hdSplashImage() { return errors(msg::kHdSplashImage); }

PayloadMessages resourceFileMessages(const std::string& fileName) {
    return PayloadMessages{
        error("找不到资源文件" + fileName), error("加载资源文件" + fileName + "时出错"),
        error("锁定资源文件" + fileName + "时出错"), error("资源文件" + fileName + "创建失败")};
}

}  // namespace kh::payloads
