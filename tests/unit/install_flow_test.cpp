// The hard-disk install run through on the simulated machine: where the ISO
// goes, what lands on the system drive, the command lines 7-Zip gets, the
// menu entry's numbers, and how it ends.
#include <gtest/gtest.h>

#include <string>

#include "common/sevenzip.h"
#include "common/texts.h"
#include "hdinstall/bootini_rules.h"
#include "hdinstall/menu_entry.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"
#include "tests/unit/install_machine.h"

namespace kh {
namespace {

using test::InstallMachine;

// 7-Zip's command lines are pinned in sevenzip_test.cpp; here, what the
// install hands them, and that 7-Zip is run from the tools folder.
std::string extraction(const InstallMachine& m, const std::string& iso, char letter = 'C') {
    return sevenzip::extractFilesCommand(m.toolFile(sevenzip::kExeName), iso,
                                         std::string{letter, ':'} + "\\~kh-x0",
                                         {"isolinux\\vmlinuz0*", "isolinux\\initrd4disk*"})
        .commandLine;
}

std::string listing(const InstallMachine& m, const std::string& iso) {
    return sevenzip::listCommand(m.toolFile(sevenzip::kExeName), iso).commandLine;
}

// The stream the extracted files are read back with, in the listing's order.
std::string readBack(const InstallMachine& m, const std::string& iso) {
    return sevenzip::streamFilesCommand(m.toolFile(sevenzip::kExeName), iso,
                                        {"isolinux\\vmlinuz0", "isolinux\\initrd4disk.img"})
        .commandLine;
}

// A second stage and its environment block come with a loader built on GRUB
// 2; an older, marked copy is replaced.
TEST(HdInstall, MovesTheIsoWritesTheBootFilesAndRestartsOnOk) {
    InstallMachine m;
    m.carrySecondStage();
    m.sys.writeHostFile("C:\\g2ldr", "older");
    m.sys.setAttributes("C:\\g2ldr", win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem);
    const std::string originalBootIni = m.file(test::kBootIni);
    bool toolsPresentFor7Zip = true;
    m.sys.processBehaviour = [&](const std::string& line) {
        toolsPresentFor7Zip &= m.file(m.toolFile(sevenzip::kExeName)) == "7z-exe" &&
                               m.file(m.toolFile(sevenzip::kDllName)) == "7z-dll";
        return test::sevenZipRun(line);
    };
    m.start();
    m.installFrom(test::kIsoInFolder);

    ASSERT_EQ(m.ui.boxes().size(), 2u) << m.messages();
    test::expectBox(m.ui, 0, msg::kMoveQuestion,
                    std::string(msg::kMoveQuestion.text) + "D:\\iso\\live.iso" +
                        msg::kMoveQuestionJoin + "D:\\live.iso");
    test::expectBox(m.ui, 1, msg::kRestartQuestion);
    EXPECT_TRUE(m.sys.restartRequested());
    EXPECT_FALSE(m.ui.quitPosted());

    EXPECT_EQ(m.file(test::kIsoInRoot), test::kIsoImage);
    EXPECT_FALSE(m.exists(test::kIsoInFolder));
    EXPECT_EQ(m.sys.startedCommands(), (std::vector<std::string>{listing(m, test::kIsoInFolder),
                                                                 extraction(m, "D:\\live.iso"),
                                                                 readBack(m, "D:\\live.iso")}));
    EXPECT_TRUE(toolsPresentFor7Zip);
    EXPECT_FALSE(m.toolsFolderPresent());
    EXPECT_EQ(m.state.shared.extractionChild, 0u);
    // 2.5 s in slices of 100 ms, each followed by a paint.
    EXPECT_GE(m.ui.paintPumps(), 24);

    EXPECT_EQ(m.file(test::kBootIni), *hd::addEntryToBootIni(originalBootIni, nullptr));
    EXPECT_EQ(m.file("C:\\grldr"), "grldr-loader");
    EXPECT_EQ(m.file("C:\\fonts"), "font-table");
    EXPECT_EQ(m.file("C:\\greengem.xpm"), "/* XPM */");
    EXPECT_EQ(m.file("C:\\vmlinuz0"), "extracted vmlinuz0");
    EXPECT_EQ(m.file("C:\\initrd4disk.img"), "extracted initrd4disk.img");
    EXPECT_EQ(m.file("C:\\g2ldr"), "g2ldr-stage");
    EXPECT_EQ(m.file("C:\\default"), "# GRUB Environment Block\n###");  // LF stays LF

    EXPECT_EQ(m.file("C:\\menu.lst"), hd::insertMenuEntry(test::sampleMenu(), hd::menuEntry(5, 0)));
}

// Wherever the ISO is chosen, it goes whole to the root of its own drive, the
// menu names that drive's partition, and the boot files stay on C:. A file
// of the ISO's name already in the root is used without asking.
TEST(HdInstall, TheIsoGoesToTheRootOfItsDriveWhicheverItIs) {
    const std::string trail = "誠";  // GBK D5 5C: its second byte is a backslash
    ASSERT_EQ(trail, "\xD5\x5C");
    std::string deep = "D:";
    for (int i = 0; i < 6; ++i) deep += "\\" + std::string(60, static_cast<char>('a' + i));
    std::string longName;
    for (int i = 0; i < 60; ++i) longName += "长";
    const struct {
        std::string iso;
        std::string root;
        const char* isodev;
        bool rootTaken;        // another file already has the ISO's name in the root
        bool diskNumberKnown;  // without it, the offset decides
    } cases[] = {
        {"C:\\down\\live.iso", "C:\\live.iso", "/dev/sda1", false, true},
        {"D:\\iso/live.iso", "D:\\live.iso", "/dev/sda5", false, true},  // '/' is a separator
        {"d:\\iso\\live.iso", "d:\\live.iso", "/dev/sda5", false, true},
        {"D:\\iso\\live.iso", "D:\\live.iso", "/dev/sda5", false, false},
        {"E:\\live.iso", "E:\\live.iso", "/dev/sda6", false, true},
        {"D:\\iso\\live.iso", "D:\\live.iso", "/dev/sda5", true, true},
        {"D:\\光盘 映像\\体验版.iso", "D:\\体验版.iso", "/dev/sda5", false, true},
        {"D:\\" + trail + "\\" + trail + ".iso", "D:\\" + trail + ".iso", "/dev/sda5", false, true},
        {"D:\\iso\\" + trail + "x.iso", "D:\\" + trail + "x.iso", "/dev/sda5", false, true},
        {deep + "\\" + longName + ".iso", "D:\\" + longName + ".iso", "/dev/sda5", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.iso);
        InstallMachine m;
        if (!c.diskNumberKnown) m.sys.volume('D').diskNumber.reset();
        m.sys.writeHostFile(c.iso, test::kIsoImage);
        if (c.rootTaken) m.sys.writeHostFile(c.root, test::isoImage() + "copy");
        m.start();
        m.installFrom(c.iso);
        EXPECT_TRUE(m.sys.restartRequested()) << m.messages();
        if (c.rootTaken || c.iso == c.root) {
            ASSERT_EQ(m.ui.boxes().size(), 1u) << m.messages();
            EXPECT_EQ(m.file(c.iso), test::kIsoImage);
        } else {
            EXPECT_EQ(m.ui.boxes()[0].text, msg::kMoveQuestion.text + withBackslashes(c.iso) +
                                                msg::kMoveQuestionJoin + c.root);
        }
        EXPECT_EQ(m.file(c.root), c.rootTaken ? test::isoImage() + "copy" : test::kIsoImage);
        EXPECT_NE(m.file("C:\\menu.lst").find(std::string("isodev=") + c.isodev + "  "),
                  std::string::npos);
        EXPECT_EQ(m.sys.startedCommands(),
                  (std::vector<std::string>{listing(m, withBackslashes(c.iso)),
                                            extraction(m, c.root), readBack(m, c.root)}));
        for (const std::string& path : test::kInstalledFiles) EXPECT_TRUE(m.exists(path)) << path;
        EXPECT_FALSE(m.exists("D:\\grldr") || m.exists("E:\\grldr"));
    }
}

TEST(HdInstall, SystemDriveOtherThanCReceivesEveryBootFile) {
    InstallMachine m;
    m.sys.volume('C').partition.info.bootIndicator = false;
    m.sys.volume('D').partition.info.bootIndicator = true;
    m.sys.writeHostFile("D:\\boot.ini", m.file(test::kBootIni));
    m.start();
    ASSERT_EQ(m.state.hd.systemDrive.letter, 'D');
    m.installFrom(test::kIsoInFolder);

    EXPECT_TRUE(m.sys.restartRequested()) << m.messages();
    EXPECT_EQ(m.sys.startedCommands()[1], extraction(m, "D:\\live.iso", 'D'));
    for (const char* name :
         {"grldr", "menu.lst", "fonts", "greengem.xpm", "vmlinuz0", "initrd4disk.img"}) {
        EXPECT_TRUE(m.exists(std::string("D:\\") + name)) << name;
        EXPECT_FALSE(m.exists(std::string("C:\\") + name)) << name;
    }
    EXPECT_NE(m.file("D:\\menu.lst").find("root (hd0,4)\r\n"), std::string::npos);
    EXPECT_NE(m.file("D:\\boot.ini").find(hd::kEntryMarker), std::string::npos);
}

// Refusals before anything changes: the OK button comes back for another try.
// Among them, the plan's judgement of the partition table and of what the
// system says of both volumes.
TEST(HdInstall, RefusesBeforeAnythingChanges) {
    using Arrange = void (*)(InstallMachine&);
    const Arrange nothing = [](InstallMachine&) {};
    const struct {
        const char* name;
        std::string typed;
        Arrange arrange;  // before the program starts
        Message message;
        std::string text = {};  // in place of the message's own
    } cases[] = {
        {"no choice", "", nothing, msg::kChooseIsoFirst},
        {"no system partition", test::kIsoInFolder,
         [](InstallMachine& m) { m.sys.volume('C').partition.info.bootIndicator = false; },
         msg::kNoSystemPartition},
        {"no ISO", "D:\\iso\\gone.iso", nothing, msg::kIsoMissing},
        // Relative paths would move the ISO to the root of another drive.
        {"relative", "live.iso", nothing, msg::kIsoPathNotAbsolute},
        {"drive-relative", "D:live.iso", nothing, msg::kIsoPathNotAbsolute},
        {"UNC", "\\\\server\\share\\live.iso", nothing, msg::kIsoPathNotAbsolute},
        {"long-path prefix", "\\\\?\\D:\\iso\\live.iso", nothing, msg::kIsoPathNotAbsolute},
        {"no file name", "D:\\iso\\", nothing, msg::kIsoPathNotAbsolute},
        {"a folder", "D:\\iso", nothing, msg::kIsoPathFolder},
        {"a wildcard", "D:\\iso\\*.iso", nothing, msg::kIsoPathWildcard},
        {"a device", "D:\\iso\\con.iso", nothing, msg::kIsoPathDevice},
        {"a file without attributes", test::kIsoInFolder,
         [](InstallMachine& m) { m.sys.failPath(sim::Op::kFileAttributes, test::kIsoInFolder); },
         msg::kIsoMissing},
        {"no full path from the system", test::kIsoInFolder,
         [](InstallMachine& m) { m.sys.failNext(sim::Op::kFullPathName); },
         msg::kIsoPathNotAbsolute},
        // The label where a volume descriptor would hold it, but no descriptor.
        {"no ISO 9660 image", test::kIsoInFolder,
         [](InstallMachine& m) {
             m.sys.writeHostFile(test::kIsoInFolder,
                                 std::string(test::kIsoImage).replace(16 * 2048 + 1, 5, "NOTCD"));
         },
         msg::kIsoLabelWrong},
        {"another label", test::kIsoInFolder,
         [](InstallMachine& m) { m.sys.writeHostFile(test::kIsoInFolder, test::isoImage("LIVE")); },
         msg::kIsoLabelWrong},
        {"no kernel in the ISO", test::kIsoInFolder,
         [](InstallMachine& m) {
             m.sys.processBehaviour = [](const std::string&) { return sim::SimProcess{}; };
         },
         msg::kIsoLacksBootFiles},
        {"7-Zip cannot list the ISO", test::kIsoInFolder,
         [](InstallMachine& m) {
             m.sys.processBehaviour = [](const std::string& l) {
                 return test::sevenZipRun(l, 0, 2);
             };
         },
         msg::kIsoNotListed},
        {"no [operating systems]", test::kIsoInFolder,
         [](InstallMachine& m) { m.sys.writeHostFile(test::kBootIni, "[boot loader]\r\n"); },
         msg::kNoOperatingSystems},
        {"system drive full", test::kIsoInFolder,
         [](InstallMachine& m) {
             m.sys.volume('C').freeSpace = DiskFreeSpace{1, 512, 100};
         },
         msg::kNoSpace},
        {"ISO volume not opened", test::kIsoInFolder,
         [](InstallMachine& m) {
             m.sys.volume('D').partition.status = PartitionQuery::Status::kOpenFailed;
         },
         msg::kVolumeOpenError},
        {"ISO volume not queried", test::kIsoInFolder,
         [](InstallMachine& m) {
             m.sys.volume('D').partition.status = PartitionQuery::Status::kQueryFailed;
         },
         msg::kVolumeQueryError},
        // Its offset matches a partition of the first disk by coincidence.
        {"ISO on the second disk", test::kIsoInFolder,
         [](InstallMachine& m) { m.sys.volume('D').diskNumber = 1; }, msg::kIsoNotOnFirstDisk},
        {"system volume on the second disk", test::kIsoInFolder,
         [](InstallMachine& m) { m.sys.volume('C').diskNumber = 1; }, msg::kSystemNotOnFirstDisk},
        {"protective GPT entry", test::kIsoInFolder,
         [](InstallMachine& m) {
             m.disk[446 + 16 * 3 + 4] = static_cast<char>(0xEE);
             m.sys.setDiskImage(m.disk);
         },
         msg::kGptDisk},
        {"a damaged ISO", test::kIsoInFolder,
         [](InstallMachine& m) {
             m.sys.writeHostFile(test::kIsoInFolder + ".md5", std::string(32, 'a') + "  live.iso");
         },
         msg::kIsoMismatch,
         "ISO文件校验失败（live.iso，live.iso.md5），文件可能已损坏，请重新下载。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InstallMachine m;
        c.arrange(m);
        m.start();
        const std::string bootIni = m.file(test::kBootIni);
        m.installFrom(c.typed);
        ASSERT_EQ(m.ui.boxes().size(), 1u) << m.messages();
        test::expectBox(m.ui, 0, c.message, c.text);
        EXPECT_TRUE(m.ui.control(ControlId::kOk).enabled);
        EXPECT_FALSE(m.ui.quitPosted());
        EXPECT_EQ(m.file(test::kBootIni), bootIni);
        EXPECT_TRUE(m.exists(test::kIsoInFolder));
        EXPECT_FALSE(m.exists("C:\\grldr"));
        EXPECT_TRUE(m.temporaryFiles().empty());
    }
}

// No or Cancel to the move ends the program with nothing changed; Cancel at
// the restart question ends it with the install kept.
TEST(HdInstall, AnswersThatEndTheProgramWithoutARestart) {
    for (const std::vector<int>& answers :
         {std::vector{win::kIdNo}, {win::kIdCancel}, {win::kIdYes, win::kIdCancel}}) {
        InstallMachine m;
        m.start();
        const std::string bootIni = m.file(test::kBootIni);
        for (int answer : answers) m.ui.answerNextBox(answer);
        m.installFrom(test::kIsoInFolder);
        const bool installed = answers.size() == 2;
        EXPECT_EQ(m.ui.boxes().size(), answers.size());
        EXPECT_TRUE(m.ui.quitPosted());
        EXPECT_FALSE(m.ui.control(ControlId::kOk).enabled);
        EXPECT_FALSE(m.sys.restartRequested());
        EXPECT_EQ(m.exists(test::kIsoInRoot), installed);
        EXPECT_EQ(m.file(test::kBootIni),
                  installed ? *hd::addEntryToBootIni(bootIni, nullptr) : bootIni);
        for (const std::string& path : test::kInstalledFiles) EXPECT_EQ(m.exists(path), installed);
        EXPECT_FALSE(m.toolsFolderPresent());
    }
}

}  // namespace
}  // namespace kh
