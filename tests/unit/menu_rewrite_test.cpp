// The GRUB menu on the simulated system drive: the sample menu with the entry
// inserted, messages, and the sample left in place whatever fails.
#include "hdinstall/menu_rewrite.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh::hd {
namespace {

const std::string kMenu = "C:\\menu.lst";

std::string sampleMenu() {
    std::ifstream in(KH_SOURCE_DIR "/payloads/data/menu.lst", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const std::string kMenuWithEntry =
    "# This is a sample menu.lst file. You should make some changes to it.\r\n"
    "# The old install method of booting via the stage-files has been removed.\r\n"
    "# Please install GRLDR boot strap code to MBR with the bootlace.com\r\n"
    "# utility under DOS/Win9x or Linux.\r\n"
    "fontfile /fonts\r\n"
    "splashimage /greengem.xpm\r\n"
    "foreground 60CA00\r\n"
    "background FFFFFF\r\n"
    "timeout 10\r\n"
    "default /default\r\n"
    "\r\n"
    "title KorvaneLinux桌面7.0rc\r\n"
    "root (hd0,0)\r\n"
    "kernel /vmlinuz0 root=CDLABEL=korvane-QX2-livecd isodev=/dev/sda5  isodev_dir=/  "
    "rootfstype=iso9660 ro liveimg vga=788 quiet \r\n"
    "initrd /initrd4disk.img \r\n"
    "\r\n"
    "title 返回\r\n"
    "fallback 1\r\n"
    "find --set-root /ntldr\r\n"
    "chainloader /ntldr\r\n"
    "savedefault --wait=2\r\n"
    "\r\n";

struct MenuEnv : test::SimEnv {
    MenuEnv() {
        state.hd.systemDrive.partitionIndex = 0;
        sys.writeHostFile(kMenu, sampleMenu());
    }
    std::string menu() const { return sys.readHostFile(kMenu).value(); }
};

TEST(RewriteMenu, InsertsTheEntryIntoTheSampleMenu) {
    MenuEnv env;
    ASSERT_EQ(sampleMenu().size(), 458u);
    // A user's own file of the old fixed name, and one of ours left by an
    // earlier run, are both kept.
    env.sys.writeHostFile("C:\\temp.lst", "the user's list");
    env.sys.writeHostFile("C:\\~kh-lst0.tmp", "left over");
    EXPECT_EQ(rewriteMenu(env.state.hd, 5), MenuOutcome::kDone);
    EXPECT_EQ(env.menu(), kMenuWithEntry);
    EXPECT_EQ(env.sys.readHostFile("C:\\temp.lst"), "the user's list");
    EXPECT_EQ(env.temporaryFiles(), std::vector<std::string>{"~kh-lst0.tmp"});
    EXPECT_TRUE(env.ui.boxes().empty());
    EXPECT_FALSE(env.ui.quitPosted());
}

TEST(RewriteMenu, UsesTheSystemDriveAndItsPartitionIndex) {
    MenuEnv env;
    env.addVolume('E', 3, 9000, true);
    env.state.hd.systemDrive.letter = 'E';
    env.state.hd.systemDrive.partitionIndex = 2;
    env.sys.writeHostFile("E:\\menu.lst", "title X\r\n");
    EXPECT_EQ(rewriteMenu(env.state.hd, 7), MenuOutcome::kDone);
    const std::string result = env.sys.readHostFile("E:\\menu.lst").value();
    EXPECT_EQ(result.find("title KorvaneLinux"), 0u);
    EXPECT_NE(result.find("root (hd0,2)\r\n"), std::string::npos);
    EXPECT_NE(result.find("isodev=/dev/sda7 "), std::string::npos);
    EXPECT_EQ(env.menu(), sampleMenu());
}

TEST(RewriteMenu, DoesNothingWithoutASystemPartition) {
    MenuEnv env;
    env.state.hd.systemDrive.partitionIndex.reset();
    EXPECT_EQ(rewriteMenu(env.state.hd, 5), MenuOutcome::kFailed);
    EXPECT_TRUE(env.sys.calls().empty());
    EXPECT_TRUE(env.ui.boxes().empty());
    EXPECT_EQ(env.menu(), sampleMenu());
}

TEST(RewriteMenu, ReportsAMenuItCannotRead) {
    MenuEnv env;
    env.sys.failOn(sim::Op::kReadFile);
    EXPECT_EQ(rewriteMenu(env.state.hd, 5), MenuOutcome::kFailed);
    test::expectOnlyFailureBox(env, "打开文件munu.list错误", "错误", win::kMbIconError);
}

TEST(RewriteMenu, ReportsAMenuTooLargeToBeOne) {
    MenuEnv env;
    env.sys.writeHostFile(kMenu, std::string(kMaxTextFileBytes + 1, 't'));
    EXPECT_EQ(rewriteMenu(env.state.hd, 5), MenuOutcome::kFailed);
    test::expectOnlyFailureBox(env, "menu.lst文件过大或不是文本文件", "错误", win::kMbIconError);
}

TEST(RewriteMenu, GoesOnWhenTheAttributesCannotBeCleared) {
    MenuEnv env;
    env.sys.failOn(sim::Op::kSetAttributes);
    EXPECT_EQ(rewriteMenu(env.state.hd, 5), MenuOutcome::kDone);
    EXPECT_EQ(env.menu(), kMenuWithEntry);
}

TEST(RewriteMenu, LeavesTheSampleWhenTheCopyFails) {
    for (sim::Op operation :
         {sim::Op::kCreateFile, sim::Op::kWrite, sim::Op::kFlush, sim::Op::kClose}) {
        SCOPED_TRACE(sim::opName(operation));
        MenuEnv env;
        env.sys.failOn(operation);
        EXPECT_EQ(rewriteMenu(env.state.hd, 5), MenuOutcome::kFailed);
        test::expectOnlyFailureBox(env, "创建临时文件munu.list失败", "错误", win::kMbIconError);
        EXPECT_EQ(env.menu(), sampleMenu());
        EXPECT_TRUE(env.temporaryFiles().empty());
    }
}

TEST(RewriteMenu, ReportsAFailedRename) {
    MenuEnv env;
    env.sys.failOn(sim::Op::kReplaceFile);
    EXPECT_EQ(rewriteMenu(env.state.hd, 5), MenuOutcome::kRenameFailed);
    test::expectOnlyFailureBox(env, "menu重命名错误", "Error", win::kMbOk);
    EXPECT_EQ(env.menu(), sampleMenu());
    EXPECT_TRUE(env.temporaryFiles().empty());
}

}  // namespace
}  // namespace kh::hd
