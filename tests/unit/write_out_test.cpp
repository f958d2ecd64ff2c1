// Writing a resource out as a file: the four outcomes and every message.
#include "payloads/write_out.h"

#include <gtest/gtest.h>

#include "payloads/catalogue.h"
#include "payloads/message_sets.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh::payloads {
namespace {

using test::SimEnv;

struct PayloadCase {
    const char* name;
    int id;
    PayloadMessages (*messages)();
    const char* notFound;
    const char* load;
    const char* lock;
    const char* create;
};

const PayloadCase kCases[] = {
    {"usb 7z.exe", kSevenZipExe, usbSevenZipExe, "找不到资源文件7z.exe", "资源文件7z.exe加载错误",
     "资源文件7z.exe锁定", "资源文件7z.exe创建失败"},
    {"usb 7z.dll", kSevenZipDll, usbSevenZipDll, "7z.dll加载错误", "加载7z.dll错误",
     "锁定7z.dll错误", "资源文件7z.dll创建失败"},
    {"usb syslinux.exe", kSyslinuxExe, usbSyslinuxExe, "找不到资源syslinux",
     "资源文件syslinux加载失败", "资源文件syslinux锁定失败", "资源文件syslinux.exe创建失败"},
    {"usb syslinux.cfg", kSyslinuxCfg, usbSyslinuxCfg, "找不到资源文件syslinux.cfg",
     "加载资源文件syslinux.cfg时出错", "锁定资源文件syslinux.cfg时出错",
     "资源文件syslinux.cfg创建失败"},
    {"hd 7z.exe", kSevenZipExe, hdSevenZipExe, "找不到7z文件", "7z加载失败", "7z锁定失败",
     "7z.exe创建失败"},
    {"hd 7z.dll", kSevenZipDll, hdSevenZipDll, "找不到dll文件", "加载dll文件错误", "dll锁定失败",
     "7z.dll创建失败"},
    {"hd grldr", kGrldr, hdGrldr, "找不到资源grldr", "找不到资源文件grldr", "资源文件grldr错误",
     "grldr创建失败"},
    {"hd menu.lst", kSampleMenu, hdSampleMenu, "找不到资源menu.list", "资源文件menu.list错误",
     "资源文件menu.list锁定错误", "menu.lst创建失败"},
    {"hd fonts", kFonts, hdFonts, "找不到资源fonts", "资源fonts加载错误", "资源文件锁定错误",
     "fonts创建失败"},
    {"hd greengem.xpm", kSplashImage, hdSplashImage, "找不到资源图片", "加载picture错误",
     "锁定picture错误", "greengem.xpm创建失败"},
};

const std::string kTarget = "C:\\out.bin";

WriteOutcome writeWith(SimEnv& env, const PayloadCase& c, bool clear = false) {
    return writePayload(env.state.shared, {c.id, kTarget, clear}, c.messages());
}

void expectOneBox(const SimEnv& env, const char* text, const PayloadCase& c) {
    ASSERT_EQ(env.ui.boxes().size(), 1u) << c.name;
    EXPECT_EQ(env.ui.boxes()[0].text, text) << c.name;
    EXPECT_TRUE(env.ui.quitPosted()) << c.name;
}

TEST(PayloadWriteOut, WritesTheExactBytes) {
    SimEnv env;
    const std::string bytes("MZ\0\x01\r\n\x1a tail", 11);
    env.sys.setResource(kGrldr, bytes);
    EXPECT_EQ(writePayload(env.state.shared, {kGrldr, kTarget}, hdGrldr()), WriteOutcome::kWritten);
    EXPECT_EQ(env.sys.readHostFile(kTarget), bytes);
    EXPECT_TRUE(env.ui.boxes().empty());
    EXPECT_FALSE(env.ui.quitPosted());
}

TEST(PayloadWriteOut, EachFailingStepShowsThatPayloadsMessage) {
    for (const PayloadCase& c : kCases) {
        {
            SimEnv env;  // resource missing
            EXPECT_EQ(writeWith(env, c), WriteOutcome::kAbandoned);
            expectOneBox(env, c.notFound, c);
        }
        for (auto [op, text] :
             {std::pair{sim::Op::kLoadResource, c.load}, {sim::Op::kLockResource, c.lock}}) {
            SimEnv env;
            env.sys.setResource(c.id, "data");
            env.sys.failOn(op);
            EXPECT_EQ(writeWith(env, c), WriteOutcome::kLoadOrLockFailed);
            expectOneBox(env, text, c);
            EXPECT_FALSE(env.sys.readHostFile(kTarget).has_value());
        }
        for (sim::Op op :
             {sim::Op::kCreateFile, sim::Op::kWrite, sim::Op::kFlush, sim::Op::kClose}) {
            SimEnv env;
            env.sys.setResource(c.id, "data");
            env.sys.failOn(op);
            EXPECT_EQ(writeWith(env, c), WriteOutcome::kCreateFailed) << c.name << sim::opName(op);
            EXPECT_FALSE(env.sys.readHostFile(kTarget).has_value()) << c.name << sim::opName(op);
            expectOneBox(env, c.create, c);
        }
    }
}

TEST(PayloadWriteOut, CaptionsAndIconsFollowTheProgramsStyleWithItsExceptions) {
    SimEnv lock;
    lock.sys.setResource(kSevenZipExe, "data");
    lock.sys.failOn(sim::Op::kLockResource);
    writePayload(lock.state.shared, {kSevenZipExe, kTarget}, hdSevenZipExe());
    EXPECT_EQ(lock.ui.boxes().at(0).caption, "error");
    EXPECT_EQ(lock.ui.boxes().at(0).flags, win::kMbIconError);

    SimEnv dll;
    writePayload(dll.state.shared, {kSevenZipDll, kTarget}, hdSevenZipDll());
    EXPECT_EQ(dll.ui.boxes().at(0).caption, "错误");
    EXPECT_EQ(dll.ui.boxes().at(0).flags, win::kMbOk);

    SimEnv usual;
    writePayload(usual.state.shared, {kFonts, kTarget}, hdFonts());
    EXPECT_EQ(usual.ui.boxes().at(0).caption, "错误");
    EXPECT_EQ(usual.ui.boxes().at(0).flags, win::kMbIconError);
    EXPECT_EQ(usual.ui.boxes().at(0).owner, BoxOwner::kMainWindow);
}

TEST(PayloadWriteOut, EmptyResourceIsAbandonedSilently) {
    SimEnv env;
    env.sys.setResource(kSyslinuxCfg, "");
    EXPECT_EQ(writePayload(env.state.shared, {kSyslinuxCfg, kTarget}, usbSyslinuxCfg()),
              WriteOutcome::kAbandoned);
    EXPECT_TRUE(env.ui.boxes().empty());
    EXPECT_FALSE(env.ui.quitPosted());
    EXPECT_FALSE(env.sys.readHostFile(kTarget).has_value());
}

TEST(PayloadWriteOut, BootPayloadsReplaceReadOnlyFilesToolsDoNot) {
    SimEnv boot;
    boot.sys.writeHostFile(kTarget, "old loader");
    boot.sys.setAttributes(kTarget, win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem);
    boot.sys.setResource(kGrldr, "new loader");
    EXPECT_EQ(writePayload(boot.state.shared, {kGrldr, kTarget, true}, hdGrldr()),
              WriteOutcome::kWritten);
    EXPECT_EQ(boot.sys.readHostFile(kTarget), "new loader");
    EXPECT_EQ(boot.sys.attributes(kTarget), win::kAttrNormal);

    SimEnv tool;
    tool.sys.writeHostFile(kTarget, "old tool");
    tool.sys.setAttributes(kTarget, win::kAttrReadOnly);
    tool.sys.setResource(kSevenZipExe, "new tool");
    EXPECT_EQ(writePayload(tool.state.shared, {kSevenZipExe, kTarget}, usbSevenZipExe()),
              WriteOutcome::kCreateFailed);
    EXPECT_EQ(tool.sys.readHostFile(kTarget), "old tool");
    EXPECT_EQ(tool.ui.boxes().at(0).text, "资源文件7z.exe创建失败");
}

}  // namespace
}  // namespace kh::payloads
