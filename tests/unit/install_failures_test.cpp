// Each failure the hard-disk install can meet: its message, whether the
// install goes on, and that it never ends in the congratulation or a restart.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "hdinstall/messages.h"
#include "platform/winconst.h"
#include "tests/unit/install_machine.h"

namespace kh {
namespace {

using test::InstallMachine;

const std::string kRestartCaption = "重启";

struct Expected {
    std::string text;
    std::string caption;
    unsigned flags;
};

void expectBox(const InstallMachine& m, size_t index, const Expected& expected) {
    test::expectBox(m.ui, index, expected.text, expected.caption, expected.flags);
}

void expectNoRestart(const InstallMachine& m) {
    EXPECT_FALSE(m.boxShown(kRestartCaption)) << m.messages();
    EXPECT_FALSE(m.sys.restartRequested());
    EXPECT_FALSE(m.ui.control(ControlId::kOk).enabled);
}

void expectToolsGone(const InstallMachine& m) {
    EXPECT_FALSE(m.exists(test::kSevenZipExe));
    EXPECT_FALSE(m.exists(test::kSevenZipDll));
}

// The move question answered, then the install runs into its failure.
InstallMachine& runInstall(InstallMachine& m) {
    m.start();
    m.installFrom(test::kIsoInFolder);
    return m;
}

// A boot entry would lead to a live system that cannot find its ISO: the
// install stops at the failed move with nothing else changed.
TEST(HdInstallFailure, FailedMoveStopsTheInstallThere) {
    InstallMachine m;
    const std::string bootIni = m.file(test::kBootIni);
    m.sys.failNext(sim::Op::kMoveFile);
    runInstall(m);
    ASSERT_EQ(m.ui.boxes().size(), 2u) << m.messages();
    expectBox(m, 1, {"移动文件失败，检查空间或者手动移动", "Error", win::kMbIconError});
    EXPECT_TRUE(m.ui.quitPosted());
    EXPECT_TRUE(m.exists(test::kIsoInFolder));
    expectNoRestart(m);
    EXPECT_EQ(m.file(test::kBootIni), bootIni);
    for (const std::string& path : test::kInstalledFiles) EXPECT_FALSE(m.exists(path)) << path;
    EXPECT_TRUE(m.sys.startedCommands().empty());
}

TEST(HdInstallFailure, VolumeQueryFailuresRefuseBeforeTheMove) {
    const struct {
        PartitionQuery::Status status;
        const char* text;
    } cases[] = {{PartitionQuery::Status::kOpenFailed, "createfile Can't open current dir "},
                 {PartitionQuery::Status::kQueryFailed, "Deviceiocontrol currentdir error "}};
    for (const auto& c : cases) {
        InstallMachine m;
        m.start();
        const std::string bootIni = m.file(test::kBootIni);
        m.sys.volume('D').partition.status = c.status;
        m.installFrom(test::kIsoInFolder);
        ASSERT_EQ(m.ui.boxes().size(), 1u) << m.messages();
        expectBox(m, 0, {c.text, "current dir", win::kMbOk});
        EXPECT_FALSE(m.ui.quitPosted());
        EXPECT_TRUE(m.ui.control(ControlId::kOk).enabled);
        EXPECT_TRUE(m.exists(test::kIsoInFolder));
        EXPECT_EQ(m.file(test::kBootIni), bootIni);
        EXPECT_FALSE(m.exists(test::kSevenZipExe));
        EXPECT_FALSE(m.exists("C:\\grldr"));
    }
}

TEST(HdInstallFailure, BootIniFailureEndsBeforeAnyFileIsWritten) {
    InstallMachine m;
    m.sys.failPath(sim::Op::kReplaceFile, test::kBootIni);
    runInstall(m);
    ASSERT_EQ(m.ui.boxes().size(), 2u) << m.messages();
    EXPECT_EQ(m.ui.boxes()[1].text, hd::msg::kBootIniRenameError);
    EXPECT_TRUE(m.ui.quitPosted());
    expectNoRestart(m);
    EXPECT_FALSE(m.exists(test::kSevenZipExe));
    EXPECT_FALSE(m.exists("C:\\grldr"));
    EXPECT_TRUE(m.sys.startedCommands().empty());
}

TEST(HdInstallFailure, MissingResourceAbandonsTheInstallAtOnce) {
    const struct {
        int id;
        const char* text;
        unsigned flags;
    } cases[] = {
        {payloads::kSevenZipExe, "找不到7z文件", win::kMbIconError},
        {payloads::kSevenZipDll, "找不到dll文件", win::kMbOk},
        {payloads::kGrldr, "找不到资源grldr", win::kMbIconError},
        {payloads::kSampleMenu, "找不到资源menu.list", win::kMbIconError},
        {payloads::kFonts, "找不到资源fonts", win::kMbIconError},
        {payloads::kSplashImage, "找不到资源图片", win::kMbIconError},
    };
    for (const auto& c : cases) {
        InstallMachine m;
        m.sys.setResource(c.id, "", Resource::Status::kNotFound);
        runInstall(m);
        ASSERT_EQ(m.ui.boxes().size(), 2u) << c.text << "\n" << m.messages();
        expectBox(m, 1, {c.text, "错误", c.flags});
        EXPECT_TRUE(m.ui.quitPosted());
        expectNoRestart(m);
        expectToolsGone(m);
        EXPECT_TRUE(m.sys.startedCommands().empty());
    }
}

TEST(HdInstallFailure, UnloadableResourceIsReportedAndTheInstallGoesOnUncongratulated) {
    const struct {
        int id;
        Resource::Status status;
        const char* text;
        const char* caption;
    } cases[] = {
        {payloads::kSevenZipExe, Resource::Status::kLockFailed, "7z锁定失败", "error"},
        {payloads::kSevenZipDll, Resource::Status::kLoadFailed, "加载dll文件错误", "错误"},
        {payloads::kGrldr, Resource::Status::kLoadFailed, "找不到资源文件grldr", "错误"},
        {payloads::kG2ldr, Resource::Status::kLockFailed, "资源文件g2ldr错误", "错误"},
        {payloads::kSampleMenu, Resource::Status::kLockFailed, "资源文件menu.list锁定错误", "错误"},
        {payloads::kFonts, Resource::Status::kLoadFailed, "资源fonts加载错误", "错误"},
        {payloads::kSplashImage, Resource::Status::kLockFailed, "锁定picture错误", "错误"},
    };
    for (const auto& c : cases) {
        InstallMachine m;
        m.sys.setResource(c.id, "bytes", c.status);
        runInstall(m);
        expectBox(m, 1, {c.text, c.caption, win::kMbIconError});
        EXPECT_TRUE(m.ui.quitPosted());
        expectNoRestart(m);
        expectToolsGone(m);
        EXPECT_TRUE(m.exists("C:\\fonts") || c.id == payloads::kFonts) << c.text;
    }
}

TEST(HdInstallFailure, SevenZipThatCannotBeCreatedHidesTheStatus) {
    InstallMachine m;
    m.start();
    m.ui.show(ControlId::kStatusConfig, true);
    m.sys.failPath(sim::Op::kCreateFile, test::kSevenZipExe);
    m.installFrom(test::kIsoInFolder);
    expectBox(m, 1, {"7z.exe创建失败", "错误", win::kMbIconError});
    EXPECT_FALSE(m.ui.control(ControlId::kStatusConfig).visible);
    EXPECT_TRUE(m.ui.quitPosted());
    expectNoRestart(m);
}

// 7-Zip runs that fail: the message names the file, the menu stays the
// sample, 7-Zip's own files are removed, and nothing congratulates.
TEST(HdInstallFailure, ExtractionFailuresAreReportedAndEndTheInstall) {
    const std::string kernel = "提取vmlinux失败";
    const std::string initrd = "提取initrd失败";
    const struct {
        const char* name;
        std::function<sim::SimProcess(const std::string&)> behaviour;
        std::string text;
    } cases[] = {
        {"kernel not started",
         [](const std::string& line) {
             sim::SimProcess process = test::sevenZipRun(line);
             process.startFails = line.find("vmlinuz0") != std::string::npos;
             return process;
         },
         kernel},
        {"kernel fatal error",
         [](const std::string& line) { return test::sevenZipRun(line, 100, 2); }, kernel},
        {"initrd command line error",
         [](const std::string& line) {
             return test::sevenZipRun(line, 100, line.find("initrd") != std::string::npos ? 7 : 0);
         },
         initrd},
        {"initrd not in the ISO",
         [](const std::string& line) {
             sim::SimProcess process = test::sevenZipRun(line);
             if (line.find("initrd") != std::string::npos) process.onExit = nullptr;
             return process;
         },
         initrd},
        {"kernel empty",
         [](const std::string& line) {
             sim::SimProcess process = test::sevenZipRun(line);
             if (line.find("vmlinuz0") != std::string::npos) {
                 process.onExit = [](sim::SimSystem& s) { s.writeHostFile("C:\\vmlinuz0", ""); };
             }
             return process;
         },
         kernel},
    };
    for (const auto& c : cases) {
        InstallMachine m;
        m.sys.processBehaviour = c.behaviour;
        runInstall(m);
        ASSERT_EQ(m.ui.boxes().size(), 2u) << c.name << "\n" << m.messages();
        expectBox(m, 1, {c.text, "提取文件错误", win::kMbIconError});
        EXPECT_TRUE(m.ui.quitPosted()) << c.name;
        expectNoRestart(m);
        expectToolsGone(m);
        EXPECT_EQ(m.file("C:\\menu.lst"), test::sampleMenu()) << c.name;
        EXPECT_EQ(m.sys.startedCommands().size(), c.text == kernel ? 1u : 2u) << c.name;
    }
}

TEST(HdInstallFailure, ExtractionWarningCountsAsSuccessWhenTheFileIsThere) {
    InstallMachine m;
    m.sys.processBehaviour = [](const std::string& line) { return test::sevenZipRun(line, 10, 1); };
    runInstall(m);
    EXPECT_TRUE(m.sys.restartRequested()) << m.messages();
}

TEST(HdInstallFailure, KernelLeftByAnEarlierRunDoesNotPassForANewOne) {
    InstallMachine m;
    m.sys.writeHostFile("C:\\vmlinuz0", "earlier kernel");
    m.sys.setAttributes("C:\\vmlinuz0", win::kAttrReadOnly);
    m.sys.processBehaviour = [](const std::string& line) {
        sim::SimProcess process = test::sevenZipRun(line);
        if (line.find("vmlinuz0") != std::string::npos) process.onExit = nullptr;
        return process;
    };
    runInstall(m);
    expectBox(m, 1, {"提取vmlinux失败", "提取文件错误", win::kMbIconError});
    EXPECT_FALSE(m.exists("C:\\vmlinuz0"));
    expectNoRestart(m);
}

TEST(HdInstallFailure, HangingSevenZipIsStoppedAfterTenMinutesAndItsFilesRemoved) {
    InstallMachine m;
    m.sys.processBehaviour = [](const std::string& line) {
        sim::SimProcess process = test::sevenZipRun(line, 60 * 60 * 1000);
        process.onExit = nullptr;
        return process;
    };
    runInstall(m);

    expectBox(m, 1, {"提取vmlinux失败", "提取文件错误", win::kMbIconError});
    EXPECT_EQ(m.sys.now(), 10u * 60 * 1000);
    EXPECT_EQ(m.state.extractionChild, 0u);
    EXPECT_GE(m.ui.paintPumps(), 5999);
    expectToolsGone(m);
    expectNoRestart(m);
}

TEST(HdInstallFailure, SevenZipThatWillNotStopKeepsItsFilesAndStaysTracked) {
    InstallMachine m;
    m.sys.processBehaviour = [](const std::string& line) {
        return test::sevenZipRun(line, 60 * 60 * 1000);
    };
    m.sys.failNext(sim::Op::kTerminate);
    runInstall(m);
    expectBox(m, 1, {"提取vmlinux失败", "提取文件错误", win::kMbIconError});
    EXPECT_NE(m.state.extractionChild, 0u);
    EXPECT_TRUE(m.sys.processRunning(m.state.extractionChild));
    // 7-Zip still holds them; the exit command deletes them once it is gone.
    EXPECT_TRUE(m.exists(test::kSevenZipExe));
    expectNoRestart(m);
}

TEST(HdInstallFailure, MenuThatCannotBeWrittenEndsWithoutTheRestartQuestion) {
    InstallMachine m;
    m.sys.failPath(sim::Op::kCreateFile, "C:\\menu.lst");
    runInstall(m);
    expectBox(m, 1, {"menu.lst创建失败", "错误", win::kMbIconError});
    expectBox(m, 2, {hd::msg::kMenuOpenError, "错误", win::kMbIconError});
    expectNoRestart(m);
    expectToolsGone(m);
}

// A boot entry whose loader is missing cannot start: never congratulate.
TEST(HdInstallFailure, LoaderThatCannotBeWrittenIsReportedAndNotCongratulated) {
    InstallMachine m;
    m.sys.failPath(sim::Op::kCreateFile, "C:\\grldr");
    runInstall(m);
    expectBox(m, 1, {"grldr创建失败", "错误", win::kMbIconError});
    EXPECT_FALSE(m.exists("C:\\grldr"));
    EXPECT_TRUE(m.ui.quitPosted());
    expectNoRestart(m);
    expectToolsGone(m);
}

TEST(HdInstallFailure, MenuRenameFailureGoesOnButIsNotCongratulated) {
    InstallMachine m;
    m.sys.failPath(sim::Op::kReplaceFile, "C:\\menu.lst");
    runInstall(m);
    expectBox(m, 1, {"menu重命名错误", "Error", win::kMbOk});
    EXPECT_EQ(m.file("C:\\menu.lst"), test::sampleMenu());
    EXPECT_TRUE(m.ui.quitPosted());
    expectNoRestart(m);
    expectToolsGone(m);
}

// The machine is set up either way; a restart the program cannot make is
// said, and the program ends.
TEST(HdInstallFailure, ARestartThatCannotBeMadeIsReported) {
    const struct {
        ShutdownPrivilege::Status privilege;
        bool restartRefused;
    } cases[] = {{ShutdownPrivilege::Status::kVersionFailed, false},
                 {ShutdownPrivilege::Status::kTokenFailed, false},
                 {ShutdownPrivilege::Status::kEnabled, true}};
    for (const auto& c : cases) {
        InstallMachine m;
        m.sys.setShutdownPrivilege(c.privilege);
        if (c.restartRefused) m.sys.failNext(sim::Op::kRequestRestart);
        runInstall(m);
        expectBox(m, m.ui.boxes().size() - 1,
                  {hd::msg::kRestartImpossible, "警告", win::kMbIconWarning});
        EXPECT_TRUE(m.ui.quitPosted());
        EXPECT_FALSE(m.sys.restartRequested());
        expectToolsGone(m);
        for (const std::string& path : test::kInstalledFiles) EXPECT_TRUE(m.exists(path));
    }
    InstallMachine notNt;
    notNt.sys.setShutdownPrivilege(ShutdownPrivilege::Status::kNotNt);
    runInstall(notNt);
    EXPECT_TRUE(notNt.sys.restartRequested());
}

}  // namespace
}  // namespace kh
