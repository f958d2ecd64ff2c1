// The buttons: mode switching and its control states, the open-file dialog,
// the ISO-chosen check and the exit button.
#include "app/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <tuple>

#include "app/messages.h"
#include "app/window_events.h"
#include "hdinstall/messages.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"
#include "usbmedia/messages.h"

namespace kh {
namespace {

using test::SimEnv;

struct ControlStates {
    bool harddiskChecked, usbChecked, driveListEnabled, isoEditEnabled, browseEnabled;
    auto tie() const {
        return std::tie(harddiskChecked, usbChecked, driveListEnabled, isoEditEnabled,
                        browseEnabled);
    }
    bool operator==(const ControlStates& o) const { return tie() == o.tie(); }
};

ControlStates statesOf(const sim::SimUi& ui) {
    return {ui.control(ControlId::kModeHarddisk).checked, ui.control(ControlId::kModeUsb).checked,
            ui.control(ControlId::kDriveList).enabled, ui.control(ControlId::kIsoPath).enabled,
            ui.control(ControlId::kBrowse).enabled};
}

void command(SimEnv& env, ControlId id) { app::onCommand(env.state, static_cast<int>(id)); }

void startWithEntry(SimEnv& env, bool entryPresent) {
    if (entryPresent) env.sys.writeHostFile("C:\\boot.ini", "c:\\grldr=\"KorvaneLinux\"\r\n");
    env.addRemovable('G');
    app::onCreate(env.state);
}

TEST(ControlStates, FollowTheModeAcrossCommandSequences) {
    const ControlStates harddisk{true, false, false, true, true};
    const ControlStates restore{true, false, false, false, false};
    const ControlStates usb{false, true, true, true, true};

    SimEnv install;
    startWithEntry(install, false);
    EXPECT_EQ(statesOf(install.ui), harddisk);
    command(install, ControlId::kModeUsb);
    EXPECT_EQ(statesOf(install.ui), usb);
    command(install, ControlId::kModeHarddisk);
    EXPECT_EQ(statesOf(install.ui), harddisk);
    command(install, ControlId::kModeHarddisk);
    EXPECT_EQ(statesOf(install.ui), harddisk);

    SimEnv restoreMode;
    startWithEntry(restoreMode, true);
    EXPECT_EQ(statesOf(restoreMode.ui), restore);
    command(restoreMode, ControlId::kModeUsb);
    EXPECT_EQ(statesOf(restoreMode.ui), usb);
    command(restoreMode, ControlId::kModeHarddisk);
    EXPECT_EQ(statesOf(restoreMode.ui), restore);
    EXPECT_TRUE(restoreMode.ui.boxes().empty());
}

TEST(ControlStates, UsbWithAnEmptyDriveListWarnsAndStaysInUsbMode) {
    SimEnv env;
    app::onCreate(env.state);
    command(env, ControlId::kModeUsb);
    ASSERT_EQ(env.ui.boxes().size(), 1u);
    test::expectBox(env.ui, 0, kh::msg::kInsertUsbFirst);
    EXPECT_TRUE(env.ui.control(ControlId::kDriveList).enabled);
}

TEST(ControlStates, OtherControlIdsDoNothing) {
    SimEnv env;
    startWithEntry(env, false);
    const ControlStates before = statesOf(env.ui);
    for (ControlId id : {ControlId::kIsoPath, ControlId::kModeGroup, ControlId::kDriveList}) {
        command(env, id);
    }
    app::onCommand(env.state, 9999);
    EXPECT_EQ(statesOf(env.ui), before);
    EXPECT_TRUE(env.ui.boxes().empty());
    EXPECT_TRUE(env.ui.control(ControlId::kOk).enabled);
}

TEST(ControlStates, RadioButtonsCannotSwitchTheDriveOfARunningCreation) {
    SimEnv env;
    startWithEntry(env, false);
    command(env, ControlId::kModeUsb);
    env.state.usb.session.stage = usb::UsbStage::kExtracting;
    env.state.usb.session.target = 'G';
    const ControlStates running = statesOf(env.ui);
    command(env, ControlId::kModeHarddisk);
    command(env, ControlId::kModeUsb);
    EXPECT_EQ(statesOf(env.ui), running);
    EXPECT_EQ(env.state.usb.session.target, 'G');
}

// The chosen path fills the edit; a suffix other than .iso (in any case)
// warns, and the warning enables OK again, but the choice is kept.
TEST(Browse, ChosenPathFillsTheEditAndOnlyAnotherSuffixWarns) {
    const struct {
        const char* path;
        bool warns;
    } cases[] = {{"D:\\iso\\live.iso", false},
                 {"D:\\ISO\\LIVE.ISO", false},
                 {"D:\\x\\Live.Iso", false},
                 {"D:\\live.img", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        SimEnv env;
        startWithEntry(env, false);
        env.ui.enable(ControlId::kOk, false);
        env.ui.answerNextDialog(std::string(c.path));
        command(env, ControlId::kBrowse);
        EXPECT_EQ(env.state.shared.isoPath, c.path);
        EXPECT_EQ(env.ui.control(ControlId::kIsoPath).text, c.path);
        ASSERT_EQ(env.ui.boxes().size(), c.warns ? 1u : 0u);
        if (c.warns) test::expectBox(env.ui, 0, app::msg::kWrongIsoFile);
        EXPECT_EQ(env.ui.control(ControlId::kOk).enabled, c.warns);
    }
}

TEST(Browse, CancelKeepsTheEarlierChoiceInBufferAndEdit) {
    SimEnv env;
    startWithEntry(env, false);
    env.ui.answerNextDialog(std::string("D:\\first.iso"));
    command(env, ControlId::kBrowse);
    env.ui.enable(ControlId::kOk, false);
    env.ui.answerNextDialog(std::nullopt);
    command(env, ControlId::kBrowse);
    EXPECT_EQ(env.state.shared.isoPath, "D:\\first.iso");
    EXPECT_EQ(env.ui.control(ControlId::kIsoPath).text, "D:\\first.iso");
    EXPECT_TRUE(env.ui.control(ControlId::kOk).enabled);
    EXPECT_TRUE(env.ui.boxes().empty());
}

TEST(IsoChosenCheck, EmptyEditWarnsAndEnablesOk) {
    SimEnv env;
    startWithEntry(env, false);
    env.ui.enable(ControlId::kOk, false);
    EXPECT_FALSE(app::checkIsoChosen(env.state));
    ASSERT_EQ(env.ui.boxes().size(), 1u);
    test::expectBox(env.ui, 0, app::msg::kChooseIsoFirst);
    EXPECT_TRUE(env.ui.control(ControlId::kOk).enabled);
}

TEST(IsoChosenCheck, TypedPathBecomesTheIsoPath) {
    SimEnv env;
    startWithEntry(env, false);
    env.ui.answerNextDialog(std::string("D:\\chosen.iso"));
    command(env, ControlId::kBrowse);
    env.ui.typeIsoPath("E:\\typed by hand.iso");
    EXPECT_TRUE(app::checkIsoChosen(env.state));
    EXPECT_EQ(env.state.shared.isoPath, "E:\\typed by hand.iso");
    EXPECT_TRUE(env.ui.boxes().empty());
}

// Exit ends the child, waits for it, then deletes the tools; closing the
// window ends the child but keeps them.
TEST(ExitButton, EndsTheChildWaitsForItThenDeletesTheToolsCloseKeepsThem) {
    for (const bool exit : {true, false}) {
        SCOPED_TRACE(exit ? "exit" : "close");
        SimEnv env;
        startWithEntry(env, false);
        const std::string dir = "C:\\tools\\";
        for (const char* name : {"7z.exe", "7z.dll", "syslinux.exe"}) {
            env.sys.writeHostFile(dir + name, "tool");
            env.state.shared.toolPaths.push_back(dir + name);
        }
        env.sys.processBehaviour = [](const std::string&) {
            sim::SimProcess child;
            child.runsForMs = 60000;
            return child;
        };
        env.state.shared.extractionChild = env.sys.startProcess("7z.exe x -y -oG:\\ \"D:\\a.iso\"");
        if (exit) {
            command(env, ControlId::kExit);
        } else {
            app::onClose(env.state);
        }
        EXPECT_FALSE(env.sys.processRunning(env.state.shared.extractionChild));
        std::vector<sim::Op> calls;
        for (const auto& call : env.sys.calls()) calls.push_back(call.op);
        const auto terminate = std::find(calls.begin(), calls.end(), sim::Op::kTerminate);
        const auto wait = std::find(calls.begin(), calls.end(), sim::Op::kWaitForExit);
        const auto firstDelete = std::find(calls.begin(), calls.end(), sim::Op::kDeleteFile);
        if (exit) {
            EXPECT_TRUE(terminate < wait && wait < firstDelete);
        } else {
            EXPECT_EQ(firstDelete, calls.end());
        }
        for (const char* name : {"7z.exe", "7z.dll", "syslinux.exe"}) {
            EXPECT_EQ(env.sys.readHostFile(dir + name).has_value(), !exit) << name;
        }
        EXPECT_TRUE(env.ui.quitPosted());
    }
}

TEST(ExitButton, BeforeAnyCreationJustEnds) {
    SimEnv env;
    startWithEntry(env, false);
    command(env, ControlId::kExit);
    EXPECT_TRUE(env.ui.quitPosted());
    EXPECT_TRUE(env.ui.boxes().empty());
    for (const auto& call : env.sys.calls()) EXPECT_NE(call.op, sim::Op::kDeleteFile);
}

TEST(WindowProcedure, AnEscapingExceptionIsAnInternalErrorNotACrash) {
    SimEnv env;
    app::runGuarded(env.state, [] {});
    EXPECT_TRUE(env.ui.boxes().empty());
    app::runGuarded(env.state, [] { throw std::bad_alloc(); });
    test::expectOnlyFailureBox(env, app::msg::kInternalError);
}

TEST(OkCommand, DisablesItselfAndHandsOverByMode) {
    SimEnv usb;
    startWithEntry(usb, false);
    usb.sys.writeHostFile("D:\\iso\\live.iso", "iso");
    usb.sys.volume('G').freeSpace = DiskFreeSpace{1, 512, 0};
    command(usb, ControlId::kModeUsb);
    usb.ui.typeIsoPath("D:\\iso\\live.iso");
    command(usb, ControlId::kOk);
    ASSERT_FALSE(usb.ui.boxes().empty());
    test::expectLastBox(usb.ui, usb::msg::kDriveNotFound);  // the USB checks ran

    SimEnv restore;
    startWithEntry(restore, true);
    command(restore, ControlId::kOk);
    EXPECT_EQ(restore.sys.readHostFile("C:\\boot.ini"), "");
    EXPECT_FALSE(restore.ui.control(ControlId::kOk).enabled);

    SimEnv install;
    startWithEntry(install, false);
    install.addVolume('D', 1, 63, false);  // C:'s partition, as far as the install can tell
    install.sys.writeHostFile("D:\\iso\\live.iso", "iso");
    install.ui.answerNextBox(win::kIdNo);
    install.ui.typeIsoPath("D:\\iso\\live.iso");
    command(install, ControlId::kOk);
    ASSERT_EQ(install.ui.boxes().size(), 1u);
    test::expectBox(install.ui, 0, hd::msg::kMoveQuestion,
                    std::string(hd::msg::kMoveQuestion.text) + "D:\\iso\\live.iso" +
                        hd::msg::kMoveQuestionJoin + "D:\\live.iso");
    EXPECT_FALSE(install.ui.control(ControlId::kOk).enabled);
}

}  // namespace
}  // namespace kh
