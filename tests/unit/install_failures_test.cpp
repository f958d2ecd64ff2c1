// Each failure the hard-disk install can meet: its message, whether the
// install goes on, and that it never ends in the congratulation or a restart;
// then every system call failing in turn.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/texts.h"
#include "platform/winconst.h"
#include "tests/support/fault_sweep.h"
#include "tests/unit/install_machine.h"

namespace kh {
namespace {

using test::InstallMachine;
using test::SweepFault;

const std::string kMoveCaption = msg::kMoveQuestion.caption;
const std::string kRestartCaption = msg::kRestartQuestion.caption;

void expectNoRestart(const InstallMachine& m) {
    EXPECT_NE(m.ui.boxes().back().caption, kRestartCaption) << m.messages();
    EXPECT_FALSE(m.sys.restartRequested());
    EXPECT_FALSE(m.ui.control(ControlId::kOk).enabled);
}

void expectToolsGone(const InstallMachine& m) { EXPECT_FALSE(m.toolsFolderPresent()); }

// The move question answered, then the install runs into its failure.
InstallMachine& runInstall(InstallMachine& m) {
    m.start();
    m.installFrom(test::kIsoInFolder);
    return m;
}

// A failure once the move was agreed: its box, the end of the program, 7-Zip's
// files gone, and no restart. A missing resource abandons the install at once; a
// file that cannot be written is passed over, as the files after it can be.
TEST(HdInstallFailure, FailuresEndTheProgramUncongratulated) {
    using Arrange = void (*)(InstallMachine&);
    const struct {
        const char* name;
        Arrange arrange;
        Message message;
        const char* writtenAfter;  // a file written all the same, or none
        bool sevenZipStarted;
        bool untouched;  // boot.ini and the system drive as they were
    } cases[] = {
        // A boot entry would lead to a live system that cannot find its ISO.
        {"ISO not moved", [](InstallMachine& m) { m.sys.failNext(sim::Op::kMoveFile); },
         msg::kMoveFailed, nullptr, false, true},
        {"boot.ini not replaced",
         [](InstallMachine& m) { m.sys.failPath(sim::Op::kReplaceFile, test::kBootIni); },
         msg::kBootIniRenameError, nullptr, false, true},
        {"7z.dll missing",
         [](InstallMachine& m) {
             m.sys.setResource(payloads::kSevenZipDll, "", Resource::Status::kNotFound);
         },
         msg::kHdSevenZipDll.notFound, nullptr, false, false},
        {"splash image missing",
         [](InstallMachine& m) {
             m.sys.setResource(payloads::kSplashImage, "", Resource::Status::kNotFound);
         },
         msg::kHdSplashImage.notFound, nullptr, false, false},
        {"7z.exe not locked",
         [](InstallMachine& m) {
             m.sys.setResource(payloads::kSevenZipExe, "x", Resource::Status::kLockFailed);
         },
         msg::kHdSevenZipExe.lockFailed, "C:\\fonts", true, false},
        {"fonts not loaded",
         [](InstallMachine& m) {
             m.sys.setResource(payloads::kFonts, "x", Resource::Status::kLoadFailed);
         },
         msg::kHdFonts.loadFailed, "C:\\greengem.xpm", true, false},
        {"loader not written",
         [](InstallMachine& m) { m.sys.failPath(sim::Op::kCreateFile, "C:\\grldr"); },
         msg::kHdGrldr.createFailed, "C:\\menu.lst", true, false},
        {"menu not written",
         [](InstallMachine& m) { m.sys.failPath(sim::Op::kCreateFile, "C:\\menu.lst"); },
         msg::kHdSampleMenu.createFailed, "C:\\fonts", true, false},
        {"menu not renamed",
         [](InstallMachine& m) { m.sys.failPath(sim::Op::kReplaceFile, "C:\\menu.lst"); },
         msg::kMenuRenameError, "C:\\vmlinuz0", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InstallMachine m;
        const std::string bootIni = m.file(test::kBootIni);
        c.arrange(m);
        runInstall(m);
        test::expectBox(m.ui, 1, c.message);
        // The box was answered before the end was requested.
        EXPECT_NE(m.ui.boxes()[1].answer, win::kIdNone);
        EXPECT_TRUE(m.ui.quitPosted());
        expectNoRestart(m);
        expectToolsGone(m);
        if (c.writtenAfter) {
            EXPECT_TRUE(m.exists(c.writtenAfter));
        }
        EXPECT_EQ(m.sys.startedCommands().empty(), !c.sevenZipStarted);
        if (c.untouched) {
            EXPECT_EQ(m.file(test::kBootIni), bootIni);
            for (const std::string& path : test::kInstalledFiles) EXPECT_FALSE(m.exists(path));
        }
    }
}

// 7-Zip misbehaving on the run whose command line names `file`.
struct Misbehaviour {
    const char* file;
    bool startFails = false;
    uint32_t exitCode = 0;
    uint64_t runsForMs = 2500;
    bool leavesNothing = false;
    const char* kernel = nullptr;  // the kernel it leaves instead of the usual
};

void scriptSevenZip(InstallMachine& m, const Misbehaviour& b) {
    m.sys.processBehaviour = [b](const std::string& line) {
        if (line.find(b.file) == std::string::npos) return test::sevenZipRun(line);
        sim::SimProcess process = test::sevenZipRun(line, b.runsForMs, b.exitCode);
        process.startFails = b.startFails;
        if (b.leavesNothing) process.onExit = nullptr;
        if (b.kernel) {
            const std::string kernel = b.kernel;
            process.onExit = [kernel](sim::SimSystem& s) {
                s.writeHostFile("C:\\vmlinuz0", kernel);
            };
        }
        return process;
    };
}

// 7-Zip runs that fail: the message names the file, the menu stays the
// sample, 7-Zip's own files are removed, and nothing congratulates. Its
// warning (exit code 1) counts as success when the file is there. A read-only
// kernel left by an earlier run never passes for a new one.
TEST(HdInstallFailure, ExtractionFailuresAreReportedAndEndTheInstall) {
    const Message kernel = msg::kExtractKernelFailed;
    const Message initrd = msg::kExtractInitrdFailed;
    const struct {
        const char* name;
        Misbehaviour misbehaviour;
        std::optional<Message> message;
    } cases[] = {
        {"kernel not started", {"vmlinuz0", true}, kernel},
        {"kernel fatal error", {"vmlinuz0", false, 2}, kernel},
        {"kernel empty", {"vmlinuz0", false, 0, 100, false, ""}, kernel},
        {"kernel not in the ISO", {"vmlinuz0", false, 0, 100, true}, kernel},
        {"initrd command line error", {"initrd", false, 7}, initrd},
        {"initrd not in the ISO", {"initrd", false, 0, 100, true}, initrd},
        {"warnings", {"7z.exe", false, 1}, std::nullopt},
        {"a kernel of one byte is not empty",
         {"vmlinuz0", false, 0, 100, false, "k"},
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InstallMachine m;
        scriptSevenZip(m, c.misbehaviour);
        m.sys.writeHostFile("C:\\vmlinuz0", "earlier kernel");
        m.sys.setAttributes("C:\\vmlinuz0", win::kAttrReadOnly);
        runInstall(m);
        EXPECT_NE(m.file("C:\\vmlinuz0"), "earlier kernel");
        if (!c.message) {
            EXPECT_TRUE(m.sys.restartRequested()) << m.messages();
            continue;
        }
        ASSERT_EQ(m.ui.boxes().size(), 2u) << m.messages();
        test::expectBox(m.ui, 1, *c.message);
        EXPECT_TRUE(m.ui.quitPosted());
        expectNoRestart(m);
        expectToolsGone(m);
        EXPECT_EQ(m.file("C:\\menu.lst"), test::sampleMenu());
        EXPECT_EQ(m.sys.startedCommands().size(), c.message->text == kernel.text ? 1u : 2u);
    }
}

// A hanging 7-Zip is stopped after ten minutes, the window kept painted; one
// that will not stop still holds its files and stays tracked, so that the
// exit command can delete them once it is gone.
TEST(HdInstallFailure, HangingSevenZipIsStoppedAfterTenMinutes) {
    for (const bool stops : {true, false}) {
        SCOPED_TRACE(stops ? "stops" : "will not stop");
        InstallMachine m;
        scriptSevenZip(m, {"7z.exe", false, 0, 60 * 60 * 1000, true});
        if (!stops) m.sys.failNext(sim::Op::kTerminate);
        runInstall(m);
        test::expectBox(m.ui, 1, msg::kExtractKernelFailed);
        // One that will not stop is given five more seconds after the attempt.
        EXPECT_EQ(m.sys.now(), 10u * 60 * 1000 + (stops ? 0 : 5000));
        EXPECT_GE(m.ui.paintPumps(), 5999);
        EXPECT_EQ(m.state.shared.extractionChild != 0, !stops);
        EXPECT_EQ(m.sys.processRunning(m.state.shared.extractionChild), !stops);
        EXPECT_EQ(m.toolsFolderPresent(), !stops);
        expectNoRestart(m);
    }
}

// Closing the window while 7-Zip works stops it: the kernel it leaves half
// written never passes for a whole one.
TEST(HdInstallFailure, ClosingTheWindowDuringTheExtractionEndsUncongratulated) {
    InstallMachine m;
    m.ui.duringWait = [&m] {
        m.sys.writeHostFile("C:\\vmlinuz0", "half");
        app::onClose(m.state);
    };
    runInstall(m);
    test::expectBox(m.ui, 1, msg::kExtractKernelFailed);
    expectNoRestart(m);
}

// An empty payload is given up without a word, as the write-out gives up any,
// and the install goes no further.
TEST(HdInstallFailure, AnEmptyPayloadEndsTheInstallWithoutACongratulation) {
    for (int id : {payloads::kSevenZipExe, payloads::kSplashImage}) {
        InstallMachine m;
        m.sys.setResource(id, "", Resource::Status::kOk);
        runInstall(m);
        EXPECT_EQ(m.ui.boxes().size(), 1u) << m.messages();  // the move question
        EXPECT_FALSE(m.sys.restartRequested());
        EXPECT_TRUE(m.sys.startedCommands().empty());
    }
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
        test::expectLastBox(m.ui, msg::kRestartImpossible);
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

// Every system call of the install failing, once or for good: no congratulation or restart follows
// a failure, boot.ini is always the old or the new file, the ISO is never lost, no temporary file
// or tools folder is left (unless deletes fail), and the program never stalls with nothing left to
// happen.
TEST(HdFaultSweep, InstallNeverCongratulatesAfterAFailureNorLosesAFile) {
    std::vector<sim::Call> calls;
    size_t startCalls = 0;
    std::string before;
    std::string after;
    {
        InstallMachine clean;
        clean.start();
        startCalls = clean.sys.calls().size();
        before = clean.file(test::kBootIni);
        clean.installFrom(test::kIsoInFolder);
        ASSERT_TRUE(clean.sys.restartRequested()) << clean.messages();
        calls = clean.sys.calls();
        after = clean.file(test::kBootIni);
    }
    ASSERT_GT(calls.size(), startCalls + 40);

    test::sweepEachCall("hard-disk install", calls, startCalls + 1, [&](const SweepFault& fault) {
        InstallMachine m;
        m.start();
        ASSERT_EQ(m.sys.calls().size(), startCalls);
        fault.arm(m.sys);
        m.installFrom(test::kIsoInFolder);
        SCOPED_TRACE(m.messages());

        bool failureShown = false;
        for (const auto& box : m.ui.boxes()) {
            if (box.caption == kRestartCaption) {
                EXPECT_FALSE(failureShown);
                EXPECT_EQ(m.file(test::kBootIni), after);
            } else if (box.caption != kMoveCaption) {
                failureShown = true;
            }
        }
        EXPECT_FALSE(failureShown && m.sys.restartRequested());
        const std::string bootIni = m.file(test::kBootIni);
        EXPECT_TRUE(bootIni == before || bootIni == after) << bootIni;
        EXPECT_TRUE(m.exists(test::kIsoInFolder) != m.exists(test::kIsoInRoot));
        EXPECT_TRUE(m.ui.quitPosted() || m.ui.control(ControlId::kOk).enabled ||
                    m.sys.restartRequested())
            << "stalled";
        if (!fault.canStopDeletesOn('C')) {
            EXPECT_TRUE(m.temporaryFiles().empty());
            EXPECT_TRUE(!m.toolsFolderPresent() || m.state.shared.extractionChild != 0);
        }
    });
}

}  // namespace
}  // namespace kh
