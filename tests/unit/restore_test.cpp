// The restore after an install on the simulated machine: the boot.ini entry
// and every installed file go, whatever attributes they carry; what cannot
// go is named; a failing boot.ini rewrite leaves everything in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/control_table.h"
#include "common/texts.h"
#include "hdinstall/bootini_rules.h"
#include "platform/winconst.h"
#include "tests/support/fault_sweep.h"
#include "tests/unit/install_machine.h"

namespace kh {
namespace {

using test::InstallMachine;

// The program started again after an install, on the same machine.
struct SecondStart {
    explicit SecondStart(InstallMachine& machine) : m(machine) {}
    InstallMachine& m;
    sim::SimUi ui{m.sys};
    AppState state{m.sys, ui};

    void start() {
        app::onCreate(state);
        ASSERT_TRUE(state.hd.bootEntryPresent);
    }
    void pressOk() { app::onCommand(state, static_cast<int>(ControlId::kOk)); }
};

std::unique_ptr<InstallMachine> installedMachine(bool otherTool = false) {
    auto m = std::make_unique<InstallMachine>();
    m->carrySecondStage();
    if (otherTool) test::plantOtherTool(m->sys);
    m->start();
    m->installFrom(test::kIsoInFolder);
    EXPECT_TRUE(m->sys.restartRequested()) << m->messages();
    return m;
}

const std::vector<std::string> kAllInstalled = test::installedPaths(true);

// What the install really leaves, seen in the drive's root, is the list the
// restore deletes (a boot file the list lacks would survive every restore),
// and the restore takes all of it away: files already missing are fine (the
// record too, as before there was one), marked files are cleared first.
TEST(HdRestore, TakesAwayExactlyWhatTheInstallLeft) {
    for (const int variant : {0, 1, 2, 3}) {
        const bool disturbed = variant == 1;
        const bool otherTool = variant >= 2;  // kept aside, given back byte for byte
        const bool twice = variant == 3;      // over an install whose entry was taken out by hand
        SCOPED_TRACE(variant);
        InstallMachine fresh;
        if (otherTool) test::plantOtherTool(fresh.sys);
        const std::vector<std::string> before = fresh.rootFiles('C');
        const std::string bootIni = fresh.file(test::kBootIni);
        const auto installed = installedMachine(otherTool);
        InstallMachine& m = *installed;

        std::vector<std::string> expected = before;
        expected.insert(expected.end(), hd::installed::kAll.begin(), hd::installed::kAll.end());
        expected.push_back(hd::installed::kRecord);
        std::sort(expected.begin(), expected.end());
        if (!otherTool) {
            EXPECT_EQ(m.rootFiles('C'), expected);
        }
        EXPECT_EQ(m.file("C:\\grldr"), "grldr-loader");  // the other tool's line starts ours
        if (twice) {
            m.sys.writeHostFile(test::kBootIni, hd::removeEntryFromBootIni(m.file(test::kBootIni)));
            // An older install without a second stage; another tool's is there now.
            std::string record = m.file("C:\\korvane.rec");
            const size_t line = record.find("ours g2ldr");
            m.sys.writeHostFile("C:\\korvane.rec",
                                record.erase(line, record.find('\n', line) + 1 - line));
            m.sys.writeHostFile("C:\\g2ldr", "another tool's g2ldr");
            SecondStart again(m);
            app::onCreate(again.state);
            again.ui.typeIsoPath(test::kIsoInRoot);
            again.pressOk();
            test::expectLastBox(again.ui, msg::kRestartQuestion);
        }
        if (disturbed) {
            m.sys.deleteFile("C:\\fonts");
            m.sys.deleteFile("C:\\g2ldr");
            m.sys.deleteFile("C:\\korvane.rec");  // as an install from before the record
            m.sys.setAttributes("C:\\grldr", test::kMarked);
            m.sys.setAttributes("C:\\menu.lst", win::kAttrReadOnly);
        }

        SecondStart second(m);
        second.start();
        second.pressOk();
        ASSERT_EQ(second.ui.boxes().size(), 1u);
        test::expectBox(second.ui, 0, msg::kRestoreDone);
        EXPECT_TRUE(second.ui.quitPosted());
        if (twice) {  // given back, as any other tool's file
            EXPECT_EQ(m.file("C:\\g2ldr"), "another tool's g2ldr");
            m.sys.deleteFile("C:\\g2ldr");
        }
        EXPECT_EQ(m.rootFiles('C'), before);
        EXPECT_EQ(m.file(test::kBootIni),
                  hd::removeEntryFromBootIni(*hd::addEntryToBootIni(bootIni, nullptr)));
        EXPECT_EQ(m.file(test::kIsoInRoot), test::kIsoImage);  // the user's file stays
        if (otherTool) {
            EXPECT_EQ(m.file("C:\\grldr"), "other-grldr");
            EXPECT_EQ(m.sys.attributes("C:\\grldr"), test::kMarked);
            EXPECT_EQ(m.file("C:\\menu.lst"), "title 一键还原\r\n");
        }
    }
}

// Every system call of the restore failing, once or for good: boot.ini is the
// old or the new file, every file stays while the old one does, and what
// remains is named.
TEST(HdRestore, RestoreReportsWhatRemainsAndKeepsBootIniWhole) {
    std::vector<sim::Call> calls;
    std::string installed;
    std::string restored;
    size_t installCalls = 0;
    {
        auto m = installedMachine(true);
        installCalls = m->sys.calls().size();
        installed = m->file(test::kBootIni);
        SecondStart clean(*m);
        clean.start();
        clean.pressOk();
        test::expectLastBox(clean.ui, msg::kRestoreDone);
        calls = m->sys.calls();
        restored = m->file(test::kBootIni);
    }
    // Start-up checks of the second start are swept with the rest.
    test::sweepEachCall("restore", calls, installCalls + 1, [&](const test::SweepFault& fault) {
        auto m = installedMachine(true);
        ASSERT_EQ(m->sys.calls().size(), installCalls);
        fault.arm(m->sys);
        SecondStart second(*m);
        app::onCreate(second.state);
        if (!second.state.hd.bootEntryPresent) return;  // start-up failed: nothing was touched
        second.pressOk();

        ASSERT_FALSE(second.ui.boxes().empty());
        EXPECT_TRUE(second.ui.quitPosted());
        const std::string bootIni = m->file(test::kBootIni);
        ASSERT_TRUE(bootIni == installed || bootIni == restored) << bootIni;
        const auto& last = second.ui.boxes().back();
        // The undo itself was made to fail: what it could not put back is named.
        if (last.text.find(msg::kRestoreUndoIncomplete.text) != std::string::npos) {
            EXPECT_EQ(bootIni, installed);
            for (const std::string& name : m->temporaryFiles()) {
                EXPECT_NE(last.text.find("C:\\" + name), std::string::npos) << name;
            }
            return;
        }
        size_t left = 0;  // of ours: the other tool's grldr and menu.lst come back
        for (const std::string& path : kAllInstalled) {
            left += m->exists(path) && m->file(path) != "other-grldr" &&
                    m->file(path) != "title 一键还原\r\n";
        }
        EXPECT_TRUE(bootIni != installed || left == kAllInstalled.size()) << left;
        if (last.caption == msg::kRestoreDone.caption) {
            EXPECT_EQ(left, 0u);
            EXPECT_EQ(m->file("C:\\grldr"), "other-grldr");
            EXPECT_EQ(bootIni, restored);
        } else if (bootIni == restored) {
            EXPECT_EQ(left, 0u);
            for (const std::string& name : m->temporaryFiles()) {
                EXPECT_NE(last.text.find("\nC:\\" + name), std::string::npos) << name;
            }
        }
        if (!fault.canStopDeletesOn('C')) {
            EXPECT_TRUE(m->temporaryFiles().empty());
        }
    });
}

}  // namespace
}  // namespace kh
