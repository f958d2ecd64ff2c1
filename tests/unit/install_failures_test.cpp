// Each failure the hard-disk install can meet: its message, whether the
// install goes on, and that it never ends in the congratulation or a restart.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "hdinstall/messages.h"
#include "payloads/messages.h"
#include "platform/winconst.h"
#include "tests/unit/install_machine.h"

namespace kh {
namespace {

using test::InstallMachine;

const std::string kRestartCaption = hd::msg::kRestartQuestion.caption;

// The box of a payload write-out that failed.
constexpr Message payloadError(const char* text, const char* caption = kh::msg::kError,
                               unsigned flags = payloads::msg::kErrorFlags) {
    return {text, caption, flags, MessageKind::kFailure};
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
    test::expectBox(m.ui, 1, hd::msg::kMoveFailed);
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
        Message message;
    } cases[] = {{PartitionQuery::Status::kOpenFailed, hd::msg::kVolumeOpenError},
                 {PartitionQuery::Status::kQueryFailed, hd::msg::kVolumeQueryError}};
    for (const auto& c : cases) {
        InstallMachine m;
        m.start();
        const std::string bootIni = m.file(test::kBootIni);
        m.sys.volume('D').partition.status = c.status;
        m.installFrom(test::kIsoInFolder);
        ASSERT_EQ(m.ui.boxes().size(), 1u) << m.messages();
        test::expectBox(m.ui, 0, c.message);
        EXPECT_FALSE(m.ui.quitPosted());
        EXPECT_TRUE(m.ui.control(ControlId::kOk).enabled);
        EXPECT_TRUE(m.exists(test::kIsoInFolder));
        EXPECT_EQ(m.file(test::kBootIni), bootIni);
        EXPECT_FALSE(m.exists(test::kSevenZipExe));
        EXPECT_FALSE(m.exists("C:\\grldr"));
    }
}

// A failure after the move: its box, the end of the program, 7-Zip's files
// gone, and no restart. A missing resource abandons the install at once; a
// file that cannot be written is passed over, as the files after it can be.
TEST(HdInstallFailure, FailuresAfterTheMoveEndUncongratulated) {
    using Arrange = void (*)(InstallMachine&);
    const struct {
        const char* name;
        Arrange arrange;
        Message message;
        const char* writtenAfter;  // a file written all the same, or none
        bool sevenZipStarted;
    } cases[] = {
        {"boot.ini not replaced",
         [](InstallMachine& m) { m.sys.failPath(sim::Op::kReplaceFile, test::kBootIni); },
         hd::msg::kBootIniRenameError, nullptr, false},
        {"7z.dll missing",
         [](InstallMachine& m) {
             m.sys.setResource(payloads::kSevenZipDll, "", Resource::Status::kNotFound);
         },
         payloadError(payloads::msg::kHdSevenZipDll.notFound, kh::msg::kError,
                      payloads::msg::kHdSevenZipDllNotFoundFlags),
         nullptr, false},
        {"splash image missing",
         [](InstallMachine& m) {
             m.sys.setResource(payloads::kSplashImage, "", Resource::Status::kNotFound);
         },
         payloadError(payloads::msg::kHdSplashImage.notFound), nullptr, false},
        {"7z.exe not locked",
         [](InstallMachine& m) {
             m.sys.setResource(payloads::kSevenZipExe, "x", Resource::Status::kLockFailed);
         },
         payloadError(payloads::msg::kHdSevenZipExe.lockFailed,
                      payloads::msg::kHdSevenZipExeLockCaption),
         "C:\\fonts", true},
        {"fonts not loaded",
         [](InstallMachine& m) {
             m.sys.setResource(payloads::kFonts, "x", Resource::Status::kLoadFailed);
         },
         payloadError(payloads::msg::kHdFonts.loadFailed), "C:\\greengem.xpm", true},
        {"loader not written",
         [](InstallMachine& m) { m.sys.failPath(sim::Op::kCreateFile, "C:\\grldr"); },
         payloadError(payloads::msg::kHdGrldr.createFailed), "C:\\menu.lst", true},
        {"menu not renamed",
         [](InstallMachine& m) { m.sys.failPath(sim::Op::kReplaceFile, "C:\\menu.lst"); },
         hd::msg::kMenuRenameError, "C:\\vmlinuz0", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InstallMachine m;
        c.arrange(m);
        runInstall(m);
        test::expectBox(m.ui, 1, c.message);
        EXPECT_TRUE(m.ui.quitPosted());
        expectNoRestart(m);
        expectToolsGone(m);
        if (c.writtenAfter) {
            EXPECT_TRUE(m.exists(c.writtenAfter));
        }
        EXPECT_EQ(m.sys.startedCommands().empty(), !c.sevenZipStarted);
    }
}

TEST(HdInstallFailure, SevenZipThatCannotBeCreatedHidesTheStatus) {
    InstallMachine m;
    m.start();
    m.ui.show(ControlId::kStatusConfig, true);
    m.sys.failPath(sim::Op::kCreateFile, test::kSevenZipExe);
    m.installFrom(test::kIsoInFolder);
    test::expectBox(m.ui, 1, payloadError(payloads::msg::kHdSevenZipExe.createFailed));
    EXPECT_FALSE(m.ui.control(ControlId::kStatusConfig).visible);
    EXPECT_TRUE(m.ui.quitPosted());
    expectNoRestart(m);
}

// 7-Zip runs that fail: the message names the file, the menu stays the
// sample, 7-Zip's own files are removed, and nothing congratulates.
TEST(HdInstallFailure, ExtractionFailuresAreReportedAndEndTheInstall) {
    const Message kernel = hd::msg::kExtractKernelFailed;
    const Message initrd = hd::msg::kExtractInitrdFailed;
    const struct {
        const char* name;
        std::function<sim::SimProcess(const std::string&)> behaviour;
        Message message;
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
        test::expectBox(m.ui, 1, c.message);
        EXPECT_TRUE(m.ui.quitPosted()) << c.name;
        expectNoRestart(m);
        expectToolsGone(m);
        EXPECT_EQ(m.file("C:\\menu.lst"), test::sampleMenu()) << c.name;
        EXPECT_EQ(m.sys.startedCommands().size(), c.message.text == kernel.text ? 1u : 2u)
            << c.name;
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
    test::expectBox(m.ui, 1, hd::msg::kExtractKernelFailed);
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

    test::expectBox(m.ui, 1, hd::msg::kExtractKernelFailed);
    EXPECT_EQ(m.sys.now(), 10u * 60 * 1000);
    EXPECT_EQ(m.state.shared.extractionChild, 0u);
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
    test::expectBox(m.ui, 1, hd::msg::kExtractKernelFailed);
    EXPECT_NE(m.state.shared.extractionChild, 0u);
    EXPECT_TRUE(m.sys.processRunning(m.state.shared.extractionChild));
    // 7-Zip still holds them; the exit command deletes them once it is gone.
    EXPECT_TRUE(m.exists(test::kSevenZipExe));
    expectNoRestart(m);
}

TEST(HdInstallFailure, MenuThatCannotBeWrittenEndsWithoutTheRestartQuestion) {
    InstallMachine m;
    m.sys.failPath(sim::Op::kCreateFile, "C:\\menu.lst");
    runInstall(m);
    test::expectBox(m.ui, 1, payloadError(payloads::msg::kHdSampleMenu.createFailed));
    test::expectBox(m.ui, 2, hd::msg::kMenuOpenError);
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
        test::expectLastBox(m.ui, hd::msg::kRestartImpossible);
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
