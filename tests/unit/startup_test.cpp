// Window creation: the disk scan, the system-drive search with the
// administrator check, the install detection, and the controls they leave.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "app/commands.h"
#include "app/window_events.h"
#include "common/texts.h"
#include "hdinstall/startup_checks.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh {
namespace {

using test::SimEnv;

// The disk is read before the main window exists: its boxes have no owner, and
// only the edit is there. A short read still holds the partition table. Then
// every control is made, the status lines hidden, and the marker on any line
// of any length gives the restore look; a boot.ini without it, or one that
// cannot be read, the install look.
TEST(Startup, DiskFailuresStopAfterTheIsoPathEditAndTheMarkerMeansRestore) {
    const std::string marked = "[boot loader]\r\n" + std::string(210, ' ') +
                               "c:\\grldr=\"KorvaneLinux\" " + std::string(1000, 'x') + "\r\n";
    const struct {
        const char* name;
        std::function<void(sim::SimSystem&)> arrange;
        std::optional<Message> message;
        bool restore = false;
    } cases[] = {
        {"open", [](auto& s) { s.failOn(sim::Op::kOpenPhysicalDrive); }, msg::kDiskNotFound},
        {"read", [](auto& s) { s.setDiskImage(""); }, msg::kMbrReadError},
        {"short read", [](auto& s) { s.setDiskReadLimit(100); }, std::nullopt},
        {"marked", [&](auto& s) { s.writeHostFile("C:\\boot.ini", marked); }, std::nullopt, true},
        {"marked, unreadable",
         [&](auto& s) {
             s.writeHostFile("C:\\boot.ini", marked);
             s.failOn(sim::Op::kReadFile);
         },
         std::nullopt},
        {"not marked", [](auto& s) { s.writeHostFile("C:\\boot.ini", "[boot loader]\r\n"); },
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimEnv env;
        c.arrange(env.sys);
        app::onCreate(env.state);
        ASSERT_EQ(env.ui.boxes().size(), c.message ? 1u : 0u);
        EXPECT_EQ(env.ui.quitPosted(), c.message.has_value());
        EXPECT_EQ(env.ui.creationOrder().size(), c.message ? 1u : 11u);
        if (c.message) {
            EXPECT_EQ(c.message->owner, BoxOwner::kNone);
            test::expectBox(env.ui, 0, *c.message);
            continue;
        }
        for (ControlId status :
             {ControlId::kStatusFormat, ControlId::kStatusCopy, ControlId::kStatusConfig}) {
            EXPECT_FALSE(env.ui.control(status).visible);
        }
        EXPECT_EQ(env.state.hd.bootEntryPresent, c.restore);
        EXPECT_EQ(env.ui.control(ControlId::kModeHarddisk).text,
                  c.restore ? msg::kRestoreCaption : msg::kModeHarddiskCaption);
        EXPECT_TRUE(env.ui.control(ControlId::kModeHarddisk).checked);
        EXPECT_EQ(env.ui.control(ControlId::kIsoPath).enabled, !c.restore);
        EXPECT_EQ(env.ui.control(ControlId::kBrowse).enabled, !c.restore);
    }
}

// The first active volume from C: to V: is the system drive; without one the
// defaults stay, silently; its boot.ini must be there and writable.
TEST(SystemDriveSearch, FirstActiveVolumeFromCToVWins) {
    const struct {
        const char* name;
        void (*arrange)(SimEnv&);
        char letter;
        bool found;
        std::optional<Message> message;
        std::string text;  // in place of the message's own
    } cases[] = {
        {"E: before F:, W: never",
         [](SimEnv& env) {
             env.addVolume('E', 2, 5000, true);
             env.addVolume('F', 3, 9000, true);
             env.sys.writeHostFile("E:\\boot.ini", "[boot loader]\r\n");
         },
         'E', true, std::nullopt, ""},
        {"none before W:", [](SimEnv&) {}, 'C', false, std::nullopt, ""},
        // A card reader may hold no medium, and Windows does not start from one.
        {"a removable drive is not asked",
         [](SimEnv& env) {
             env.addVolume('D', 2, 5000, true);
             env.sys.volume('D').type = DriveType::kRemovable;
         },
         'C', false, std::nullopt, ""},
        {"V: the last tried",
         [](SimEnv& env) {
             env.addVolume('V', 3, 9000, true);
             env.sys.writeHostFile("V:\\boot.ini", "[boot loader]\r\n");
         },
         'V', true, std::nullopt, ""},
        {"boot.ini missing on D:", [](SimEnv& env) { env.addVolume('D', 2, 5000, true); }, 'D',
         true, msg::kCannotFind, std::string(msg::kCannotFind.text) + "D:\\boot.ini"},
        {"attributes cannot be cleared",
         [](SimEnv& env) {
             env.sys.volume('C').partition.info.bootIndicator = true;
             env.sys.failOn(sim::Op::kSetAttributes);
         },
         'C', true, msg::kAdminRequired, ""},
        // Testing the rights must change nothing: start and Exit leave boot.ini as it was.
        {"boot.ini read-only, hidden, system",
         [](SimEnv& env) {
             env.sys.volume('C').partition.info.bootIndicator = true;
             env.sys.setAttributes("C:\\boot.ini",
                                   win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem);
         },
         'C', true, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimEnv env;
        env.sys.volume('C').partition.info.bootIndicator = false;
        env.addVolume('W', 4, 12000, true);
        c.arrange(env);
        const std::string bootIni = std::string{c.letter, ':'} + "\\boot.ini";
        const uint32_t attributes = env.sys.attributes(bootIni);
        hd::searchSystemDrive(env.state.hd);
        EXPECT_EQ(env.sys.attributes(bootIni), attributes);
        EXPECT_EQ(env.state.hd.systemDrive.letter, c.letter);
        EXPECT_EQ(env.state.hd.systemDrive.bootIniPath, c.found ? bootIni : "c:\\boot.ini");
        EXPECT_EQ(env.state.hd.systemDrive.found, c.found);
        ASSERT_EQ(env.ui.boxes().size(), c.message ? 1u : 0u);
        EXPECT_EQ(env.ui.quitPosted(), c.message.has_value());
        if (c.message) test::expectBox(env.ui, 0, *c.message, c.text);
    }
}

// Removable drives from C: to Z: in letter order, the first selected; arrival
// and removal refill the list, other device events leave it alone. USB mode
// without a drive warns.
TEST(DriveList, ListsRemovableDrivesCToZAndFollowsArrivalAndRemoval) {
    SimEnv none;
    app::onCreate(none.state);
    EXPECT_TRUE(none.ui.drives().empty());
    EXPECT_EQ(none.ui.selectedDrive(), -1);
    // USB mode is still chosen, with a warning.
    app::onCommand(none.state, static_cast<int>(ControlId::kModeUsb));
    ASSERT_EQ(none.ui.boxes().size(), 1u);
    test::expectBox(none.ui, 0, kh::msg::kInsertUsbFirst);
    EXPECT_TRUE(none.ui.control(ControlId::kDriveList).enabled);

    // H: is an empty card slot: listed, and asked nothing but its drive type.
    SimEnv env;
    for (char letter : {'A', 'H', 'E', 'G', 'F'}) env.addRemovable(letter);
    env.sys.volume('H').medium = false;
    env.addVolume('K', 2, 9000, false, DriveType::kCdRom);
    app::onCreate(env.state);
    EXPECT_EQ(env.ui.drives(), (std::vector<std::string>{"E:", "F:", "G:", "H:"}));
    EXPECT_EQ(env.ui.selectedDrive(), 0);
    for (const sim::Call& call : env.sys.calls()) {
        EXPECT_TRUE(call.drive != 'H' || call.op == sim::Op::kDriveType) << sim::opName(call.op);
    }
    env.ui.selectDriveIndex(2);

    app::onDeviceChange(env.state, 0x0007);  // DBT_DEVNODES_CHANGED
    EXPECT_EQ(env.ui.drives().size(), 4u);
    EXPECT_EQ(env.ui.selectedDrive(), 2);

    // The user's G: stays chosen while drives come and go; once it is gone,
    // no other drive is chosen for the user.
    env.addRemovable('D');
    const int invalidations = env.ui.invalidations();
    app::onDeviceChange(env.state, win::kDbtDeviceArrival);
    EXPECT_EQ(env.ui.drives(), (std::vector<std::string>{"D:", "E:", "F:", "G:", "H:"}));
    EXPECT_EQ(env.ui.selectedDrive(), 3);
    EXPECT_EQ(env.ui.invalidations(), invalidations + 1);

    env.sys.volume('G').type = DriveType::kNoRootDir;
    app::onDeviceChange(env.state, win::kDbtDeviceRemoveComplete);
    EXPECT_EQ(env.ui.drives(), (std::vector<std::string>{"D:", "E:", "F:", "H:"}));
    EXPECT_EQ(env.ui.selectedDrive(), -1);
}

}  // namespace
}  // namespace kh
