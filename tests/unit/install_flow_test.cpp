// The hard-disk install run through on the simulated machine: where the ISO
// goes, what lands on the system drive, the command lines 7-Zip gets, the
// menu entry's numbers, and how it ends.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
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

// 7-Zip's command lines are run against the real 7-Zip in the Wine tests; here,
// what the install hands them (the ISO listed where typed, then extracted to the
// system drive and read back from its root), and that 7-Zip runs from the tools folder.
std::vector<std::string> sevenZipRuns(const InstallMachine& m, const std::string& typed,
                                      const std::string& iso, char system) {
    const std::string exe = m.toolFile(sevenzip::kExeName);
    const std::string folder = std::string{system, ':'} + "\\~kh-x0";
    return {
        sevenzip::listCommand(exe, typed).commandLine,
        sevenzip::extractFilesCommand(exe, iso, folder,
                                      {"isolinux\\vmlinuz0*", "isolinux\\initrd4disk*"})
            .commandLine,
        sevenzip::streamFilesCommand(exe, iso, {"isolinux\\vmlinuz0", "isolinux\\initrd4disk.img"})
            .commandLine};
}

// Wherever the ISO is chosen, it goes whole to the root of its own drive, the
// menu names that drive's partition, and the boot files go to the system
// drive alone, C: or another, 7-Zip run from the tools folder, which goes
// afterwards. A file of the ISO's name already in the root is used without
// asking. A second stage and its environment block come with a loader built
// on GRUB 2; an older, marked copy is replaced.
TEST(HdInstall, TheIsoGoesToTheRootOfItsDriveWhicheverItIs) {
    const std::string trail = "誠";  // GBK D5 5C: its second byte is a backslash
    std::string deep = "D:";
    for (int i = 0; i < 6; ++i) deep += "\\" + std::string(60, static_cast<char>('a' + i));
    std::string longName;
    for (int i = 0; i < 60; ++i) longName += "长";
    const struct {
        std::string iso;
        std::string root;
        unsigned isoPartition;  // its Linux number
        bool rootTaken;         // another file already has the ISO's name in the root
        bool diskNumberKnown;   // without it, the offset decides
        char system = 'C';
        bool secondStage = false;
    } cases[] = {
        {"C:\\down\\live.iso", "C:\\live.iso", 1, false, true},
        {"D:\\iso/live.iso", "D:\\live.iso", 5, false, true},  // '/' is a separator
        {"d:\\iso\\live.iso", "d:\\live.iso", 5, false, true},
        {"D:\\iso\\live.iso", "D:\\live.iso", 5, false, false},
        {"E:\\live.iso", "E:\\live.iso", 6, false, true},
        {"D:\\iso\\live.iso", "D:\\live.iso", 5, true, true},
        {"D:\\iso\\live.iso", "D:\\live.iso", 5, false, true, 'D'},
        {"D:\\iso\\live.iso", "D:\\live.iso", 5, false, true, 'C', true},
        {"D:\\光盘 映像\\体验版.iso", "D:\\体验版.iso", 5, false, true},
        {"D:\\" + trail + "\\" + trail + ".iso", "D:\\" + trail + ".iso", 5, false, true},
        {"D:\\iso\\" + trail + "x.iso", "D:\\" + trail + "x.iso", 5, false, true},
        {deep + "\\" + longName + ".iso", "D:\\" + longName + ".iso", 5, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.iso + " to " + c.system + (c.secondStage ? " with g2ldr" : ""));
        InstallMachine m;
        if (!c.diskNumberKnown) m.sys.volume('D').diskNumber.reset();
        if (c.system == 'D') {
            m.sys.volume('C').partition.info.bootIndicator = false;
            m.sys.volume('D').partition.info.bootIndicator = true;
            m.sys.writeHostFile("D:\\boot.ini", m.file(test::kBootIni));
        }
        if (c.secondStage) {
            m.carrySecondStage();
            m.sys.writeHostFile("C:\\g2ldr", "older");
            m.sys.setAttributes("C:\\g2ldr", test::kMarked);
        }
        m.sys.writeHostFile(c.iso, test::kIsoImage);
        if (c.rootTaken) m.sys.writeHostFile(c.root, test::isoImage() + "copy");
        const std::string system{c.system, ':'};
        const std::string bootIni = m.file(system + "\\boot.ini");
        bool toolsPresentFor7Zip = true;
        m.sys.processBehaviour = [&](const std::string& line) {
            toolsPresentFor7Zip &= m.file(m.toolFile(sevenzip::kExeName)) == "7z-exe" &&
                                   m.file(m.toolFile(sevenzip::kDllName)) == "7z-dll";
            return test::sevenZipRun(line);
        };
        m.start();
        m.installFrom(c.iso);
        EXPECT_TRUE(m.sys.restartRequested()) << m.messages();
        EXPECT_FALSE(m.ui.quitPosted());
        test::expectLastBox(m.ui, msg::kRestartQuestion);
        if (c.rootTaken || c.iso == c.root) {
            ASSERT_EQ(m.ui.boxes().size(), 1u) << m.messages();
            EXPECT_EQ(m.file(c.iso), test::kIsoImage);
        } else {
            test::expectBox(
                m.ui, 0, msg::kMoveQuestion,
                msg::kMoveQuestion.text + withBackslashes(c.iso) + msg::kMoveQuestionJoin + c.root);
            EXPECT_FALSE(m.exists(c.iso));
        }
        EXPECT_EQ(m.file(c.root), c.rootTaken ? test::isoImage() + "copy" : test::kIsoImage);
        EXPECT_EQ(m.file(system + "\\boot.ini"), *hd::addEntryToBootIni(bootIni, nullptr));
        EXPECT_EQ(m.sys.startedCommands(),
                  sevenZipRuns(m, withBackslashes(c.iso), c.root, c.system));
        EXPECT_TRUE(toolsPresentFor7Zip);
        EXPECT_EQ(m.sys.launches().at(1).outputPath, "");  // the extraction runs silent
        EXPECT_FALSE(m.toolsFolderPresent());
        EXPECT_EQ(m.state.shared.extractionChild, 0u);
        // 2.5 s in slices of 100 ms, each followed by a paint.
        EXPECT_GE(m.ui.paintPumps(), 24);
        const std::string none = "<missing>";
        const std::pair<const char*, std::string> installed[] = {
            {"grldr", "grldr-loader"},
            {"menu.lst",
             hd::insertMenuEntry(test::sampleMenu(),
                                 hd::menuEntry(c.isoPartition, c.system == 'D' ? 4 : 0))},
            {"fonts", "font-table"},
            {"greengem.xpm", "/* XPM */"},
            {"vmlinuz0", "extracted vmlinuz0"},
            {"initrd4disk.img", "extracted initrd4disk.img"},
            {"g2ldr", c.secondStage ? "g2ldr-stage" : none},
            {"default", c.secondStage ? "# GRUB Environment Block\n###" : none},  // LF stays LF
        };
        for (const auto& [name, bytes] : installed) {
            for (char drive : {'C', 'D', 'E'}) {
                EXPECT_EQ(m.file(drive + std::string(":\\") + name),
                          drive == c.system ? bytes : none);
            }
        }
    }
}

// Refusals before anything changes: the OK button comes back for another try.
// Among them, the plan's judgement of the partition table and of what the
// system says of both volumes.
TEST(HdInstall, RefusesBeforeAnythingChanges) {
    using Arrange = void (*)(InstallMachine&);
    const Arrange nothing = [](auto&) {};
    const struct {
        const char* name;
        Arrange arrange;  // before the program starts
        Message message;
        std::string typed = test::kIsoInFolder;
        std::string text = {};  // in place of the message's own
    } cases[] = {
        {"no choice", nothing, msg::kChooseIsoFirst, ""},
        {"no system partition",
         [](auto& m) { m.sys.volume('C').partition.info.bootIndicator = false; },
         msg::kNoSystemPartition},
        {"no ISO", nothing, msg::kIsoMissing, "D:\\iso\\gone.iso"},
        // Relative paths would move the ISO to the root of another drive.
        {"relative", nothing, msg::kIsoPathNotAbsolute, "live.iso"},
        {"drive-relative", nothing, msg::kIsoPathNotAbsolute, "D:live.iso"},
        {"UNC", nothing, msg::kIsoPathNotAbsolute, "\\\\server\\share\\live.iso"},
        {"long-path prefix", nothing, msg::kIsoPathNotAbsolute, "\\\\?\\D:\\iso\\live.iso"},
        {"no file name", nothing, msg::kIsoPathNotAbsolute, "D:\\iso\\"},
        {"a folder", nothing, msg::kIsoPathFolder, "D:\\iso"},
        {"a wildcard", nothing, msg::kIsoPathWildcard, "D:\\iso\\*.iso"},
        {"a device", nothing, msg::kIsoPathDevice, "D:\\iso\\con.iso"},
        {"a file without attributes",
         [](auto& m) { m.sys.failPath(sim::Op::kFileAttributes, test::kIsoInFolder); },
         msg::kIsoMissing},
        {"no full path from the system", [](auto& m) { m.sys.failNext(sim::Op::kFullPathName); },
         msg::kIsoPathNotAbsolute},
        // The label where a volume descriptor would hold it, but no descriptor.
        {"no ISO 9660 image",
         [](auto& m) {
             m.sys.writeHostFile(test::kIsoInFolder,
                                 std::string(test::kIsoImage).replace(16 * 2048 + 1, 5, "NOTCD"));
         },
         msg::kIsoLabelWrong},
        {"another label",
         [](auto& m) { m.sys.writeHostFile(test::kIsoInFolder, test::isoImage("LIVE")); },
         msg::kIsoLabelWrong},
        {"too short for a volume descriptor",
         [](auto& m) { m.sys.writeHostFile(test::kIsoInFolder, test::kIsoImage.substr(0, 2048)); },
         msg::kIsoLabelWrong},
        {"no kernel in the ISO",
         [](auto& m) {
             m.sys.processBehaviour = [](const std::string&) { return sim::SimProcess{}; };
         },
         msg::kIsoLacksBootFiles},
        {"7-Zip cannot list the ISO",
         [](auto& m) {
             m.sys.processBehaviour = [](const std::string& l) {
                 return test::sevenZipRun(l, 0, 2);
             };
         },
         msg::kIsoNotListed},
        {"no [operating systems]",
         [](auto& m) { m.sys.writeHostFile(test::kBootIni, "[boot loader]\r\n"); },
         msg::kNoOperatingSystems},
        {"system drive full",
         [](auto& m) {
             m.sys.volume('C').freeSpace = DiskFreeSpace{1, 512, 100};
         },
         msg::kNoSpace},
        {"ISO volume not opened",
         [](auto& m) { m.sys.volume('D').partition.status = PartitionQuery::Status::kOpenFailed; },
         msg::kVolumeOpenError},
        {"ISO volume not queried",
         [](auto& m) { m.sys.volume('D').partition.status = PartitionQuery::Status::kQueryFailed; },
         msg::kVolumeQueryError},
        // Its offset matches a partition of the first disk by coincidence.
        {"ISO on the second disk", [](auto& m) { m.sys.volume('D').diskNumber = 1; },
         msg::kIsoNotOnFirstDisk},
        {"system volume on the second disk", [](auto& m) { m.sys.volume('C').diskNumber = 1; },
         msg::kSystemNotOnFirstDisk},
        {"protective GPT entry",
         [](auto& m) {
             m.disk[446 + 16 * 3 + 4] = static_cast<char>(0xEE);
             m.sys.setDiskImage(m.disk);
         },
         msg::kGptDisk},
        {"a damaged ISO",
         [](auto& m) {
             m.sys.writeHostFile(test::kIsoInFolder + ".md5", std::string(32, 'a') + "  live.iso");
         },
         msg::kIsoMismatch, test::kIsoInFolder,
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

// The system drive must hold what the install writes to it and 64 KiB to
// spare for its record and the folder entries, not a byte less.
TEST(HdInstall, TheSystemDriveNeedsItsFilesAnd64KiBToSpare) {
    const auto install = [](std::optional<uint64_t> freeBytes) {
        auto m = std::make_unique<InstallMachine>();
        if (freeBytes) m->sys.volume('C').freeSpace = DiskFreeSpace{1, 1, uint32_t(*freeBytes)};
        m->start();
        m->ui.answerNextBox(win::kIdYes);
        m->ui.answerNextBox(win::kIdCancel);
        m->installFrom(test::kIsoInFolder);
        return m;
    };
    const auto roomy = install({});
    uint64_t written = 0;
    for (const std::string& path : test::kInstalledFiles) written += roomy->file(path).size();
    EXPECT_TRUE(install(written + 64 * 1024)->exists("C:\\grldr"));
    const auto refused = install(written + 64 * 1024 - 1);
    test::expectLastBox(refused->ui, msg::kNoSpace);
    EXPECT_FALSE(refused->exists("C:\\grldr"));
}

}  // namespace
}  // namespace kh
