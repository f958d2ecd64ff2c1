#include "payloads/message_sets.h"

#include "common/messages.h"
#include "platform/winconst.h"

namespace kh::payloads {

namespace {

using kh::msg::kError;

Notice error(const std::string& text) { return {text, kError, win::kMbIconError}; }

PayloadMessages errors(const char* notFound, const char* load, const char* lock,
                       const char* create) {
    return PayloadMessages{error(notFound), error(load), error(lock), error(create)};
}

}  // namespace

PayloadMessages usbSevenZipExe() {
    return errors("找不到资源文件7z.exe", "资源文件7z.exe加载错误", "资源文件7z.exe锁定",
                  "资源文件7z.exe创建失败");
}

PayloadMessages usbSevenZipDll() {
    return errors("7z.dll加载错误", "加载7z.dll错误", "锁定7z.dll错误", "资源文件7z.dll创建失败");
}

PayloadMessages usbSyslinuxExe() {
    return errors("找不到资源syslinux", "资源文件syslinux加载失败", "资源文件syslinux锁定失败",
                  "资源文件syslinux.exe创建失败");
}

PayloadMessages usbSyslinuxCfg() { return resourceFileMessages("syslinux.cfg"); }

PayloadMessages hdSevenZipExe() {
    PayloadMessages messages = errors("找不到7z文件", "7z加载失败", "7z锁定失败", "7z.exe创建失败");
    messages.lockFailed->caption = "error";
    return messages;
}

PayloadMessages hdSevenZipDll() {
    PayloadMessages messages =
        errors("找不到dll文件", "加载dll文件错误", "dll锁定失败", "7z.dll创建失败");
    messages.notFound = Notice{"找不到dll文件", kError, win::kMbOk};
    return messages;
}

PayloadMessages hdGrldr() {
    return errors("找不到资源grldr", "找不到资源文件grldr", "资源文件grldr错误", "grldr创建失败");
}

PayloadMessages hdG2ldr() {
    return errors("找不到资源g2ldr", "找不到资源文件g2ldr", "资源文件g2ldr错误", "g2ldr创建失败");
}

PayloadMessages hdSampleMenu() {
    return errors("找不到资源menu.list", "资源文件menu.list错误", "资源文件menu.list锁定错误",
                  "menu.lst创建失败");
}

PayloadMessages hdFonts() {
    return errors("找不到资源fonts", "资源fonts加载错误", "资源文件锁定错误", "fonts创建失败");
}

PayloadMessages hdSplashImage() {
    return errors("找不到资源图片", "加载picture错误", "锁定picture错误", "greengem.xpm创建失败");
}

PayloadMessages resourceFileMessages(const std::string& fileName) {
    return PayloadMessages{
        error("找不到资源文件" + fileName), error("加载资源文件" + fileName + "时出错"),
        error("锁定资源文件" + fileName + "时出错"), error("资源文件" + fileName + "创建失败")};
}

}  // namespace kh::payloads
