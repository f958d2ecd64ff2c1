// The buttons: mode switching and its control states and the open-file
// dialog. OK, Exit and closing the window are followed through what they
// start and stop (usb_*, install_* and restore tests).
#include "app/commands.h"

#include <gtest/gtest.h>

#include <array>
#include <new>
#include <optional>

#include "app/window_events.h"
#include "common/texts.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh {
namespace {

using test::SimEnv;

// Hard-disk mode checked, USB mode checked, drive list, ISO edit and Browse enabled.
using ControlStates = std::array<bool, 5>;

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

// From the start (install or restore) to USB mode and back, twice; the edit,
// the group box, the drive list and unknown ids change nothing.
TEST(ControlStates, FollowTheModeAcrossCommandSequences) {
    const ControlStates harddisk{true, false, false, true, true};
    const ControlStates restore{true, false, false, false, false};
    const ControlStates usb{false, true, true, true, true};
    for (const bool entryPresent : {false, true}) {
        SCOPED_TRACE(entryPresent ? "restore" : "install");
        const ControlStates start = entryPresent ? restore : harddisk;
        SimEnv env;
        startWithEntry(env, entryPresent);
        for (ControlId id : {ControlId::kIsoPath, ControlId::kModeGroup, ControlId::kDriveList,
                             static_cast<ControlId>(9999)}) {
            command(env, id);
        }
        EXPECT_EQ(statesOf(env.ui), start);
        for (int round = 0; round < 2; ++round) {
            const int repaints = env.ui.invalidations();
            command(env, ControlId::kModeUsb);
            EXPECT_EQ(statesOf(env.ui), usb);
            command(env, ControlId::kModeHarddisk);
            EXPECT_EQ(statesOf(env.ui), start);
            EXPECT_EQ(env.ui.invalidations(), repaints + 2);  // the radio texts redrawn
        }
        EXPECT_TRUE(env.ui.boxes().empty());
        EXPECT_TRUE(env.ui.control(ControlId::kOk).enabled);
    }
}

// The chosen path replaces the earlier one in the buffer and the edit; a
// suffix other than .iso (in any case) warns, and the warning enables OK
// again, but the choice is kept. Cancel keeps the earlier choice.
TEST(Browse, ChosenPathFillsTheEditAndOnlyAnotherSuffixWarns) {
    const struct {
        std::optional<std::string> chosen;  // none: cancelled
        bool warns;
    } cases[] = {{"D:\\iso\\live.iso", false},
                 {"D:\\ISO\\LIVE.ISO", false},
                 {"D:\\live.img", true},
                 {std::nullopt, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.value_or("cancelled"));
        SimEnv env;
        startWithEntry(env, false);
        env.ui.answerNextDialog(std::string("D:\\first.iso"));
        command(env, ControlId::kBrowse);
        env.ui.enable(ControlId::kOk, false);
        env.ui.answerNextDialog(c.chosen);
        command(env, ControlId::kBrowse);
        const std::string path = c.chosen.value_or("D:\\first.iso");
        EXPECT_EQ(env.ui.control(ControlId::kIsoPath).text, path);
        ASSERT_EQ(env.ui.boxes().size(), c.warns ? 1u : 0u);
        if (c.warns) test::expectBox(env.ui, 0, msg::kWrongIsoFile);
        EXPECT_EQ(env.ui.control(ControlId::kOk).enabled, c.warns || !c.chosen);
    }
}

TEST(WindowProcedure, AnEscapingExceptionIsAnInternalErrorNotACrash) {
    SimEnv env;
    app::runGuarded(env.state, [] {});
    EXPECT_TRUE(env.ui.boxes().empty());
    app::runGuarded(env.state, [] { throw std::bad_alloc(); });
    test::expectOnlyFailureBox(env, msg::kInternalError);
}

}  // namespace
}  // namespace kh
