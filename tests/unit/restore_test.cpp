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
    sim::SimUi ui;
    AppState state{m.sys, ui};

    void start() {
        app::onCreate(state);
        ASSERT_TRUE(state.hd.bootEntryPresent);
    }
    void pressOk() { app::onCommand(state, static_cast<int>(ControlId::kOk)); }
};

std::unique_ptr<InstallMachine> installedMachine() {
    auto m = std::make_unique<InstallMachine>();
    m->carrySecondStage();
    m->start();
    m->installFrom(test::kIsoInFolder);
    EXPECT_TRUE(m->sys.restartRequested()) << m->messages();
    return m;
}

const std::vector<std::string> kAllInstalled = test::installedPaths(true);

// What the install really leaves, seen in the drive's root, is the list the
// restore deletes (a boot file the list lacks would survive every restore),
// and the restore takes all of it away: files already missing are fine,
// marked files are cleared first.
TEST(HdRestore, TakesAwayExactlyWhatTheInstallLeft) {
    for (const bool disturbed : {false, true}) {
        SCOPED_TRACE(disturbed ? "some missing, some marked" : "as installed");
        const std::vector<std::string> before = InstallMachine().rootFiles('C');
        const auto installed = installedMachine();
        InstallMachine& m = *installed;

        std::vector<std::string> expected = before;
        expected.insert(expected.end(), hd::installed::kAll.begin(), hd::installed::kAll.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(m.rootFiles('C'), expected);
        if (disturbed) {
            m.sys.deleteFile("C:\\fonts");
            m.sys.deleteFile("C:\\g2ldr");
            m.sys.setAttributes("C:\\grldr",
                                win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem);
            m.sys.setAttributes("C:\\menu.lst", win::kAttrReadOnly);
        }

        SecondStart second(m);
        second.start();
        EXPECT_EQ(second.ui.control(ControlId::kModeHarddisk).text, msg::kRestoreCaption);
        second.pressOk();
        ASSERT_EQ(second.ui.boxes().size(), 1u);
        test::expectBox(second.ui, 0, msg::kRestoreDone);
        EXPECT_TRUE(second.ui.quitPosted());
        EXPECT_EQ(m.rootFiles('C'), before);
        EXPECT_EQ(m.file(test::kBootIni).find(hd::kEntryMarker), std::string::npos);
        EXPECT_EQ(m.file(test::kIsoInRoot), "live-iso-image");  // the user's file stays
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
        auto m = installedMachine();
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
        auto m = installedMachine();
        ASSERT_EQ(m->sys.calls().size(), installCalls);
        fault.arm(m->sys);
        SecondStart second(*m);
        app::onCreate(second.state);
        if (!second.state.hd.bootEntryPresent) return;  // start-up failed: nothing was touched
        app::onCommand(second.state, static_cast<int>(ControlId::kOk));

        ASSERT_FALSE(second.ui.boxes().empty());
        EXPECT_TRUE(second.ui.quitPosted());
        const std::string bootIni = m->file(test::kBootIni);
        ASSERT_TRUE(bootIni == installed || bootIni == restored) << bootIni;
        size_t left = 0;
        for (const std::string& path : kAllInstalled) left += m->exists(path);
        EXPECT_TRUE(bootIni != installed || left == kAllInstalled.size()) << left;
        const auto& last = second.ui.boxes().back();
        if (last.caption == msg::kRestoreDone.caption) {
            EXPECT_EQ(left, 0u);
            EXPECT_EQ(bootIni, restored);
        } else if (bootIni == restored) {
            for (const std::string& path : kAllInstalled) {
                if (m->exists(path)) {
                    EXPECT_NE(last.text.find("\n" + path), std::string::npos)
                        << path;  // a line each
                }
            }
        }
        if (!fault.canStopDeletesOn('C')) {
            EXPECT_TRUE(m->temporaryFiles().empty());
        }
    });
}

}  // namespace
}  // namespace kh
