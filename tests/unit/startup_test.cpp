// Window creation: the disk scan, the system-drive search with the
// administrator check, the install detection, and the controls they leave.
#include <gtest/gtest.h>

#include <tuple>

#include "app/control_table.h"
#include "app/window_events.h"
#include "hdinstall/messages.h"
#include "hdinstall/startup_checks.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh {
namespace {

using test::SimEnv;

// The window as designed: class, style and place of each control in creation
// order; a negative coordinate counts back from the client's right or bottom.
TEST(Startup, CreatesTheControlsAsDesignedWithTheInstallLook) {
    const struct {
        ControlId id;
        const char* className;
        uint32_t style;
        int x, y, width, height;
    } designed[] = {
        {ControlId::kIsoPath, "EDIT", 0x508000C0, 115, 186, 275, 25},
        {ControlId::kModeGroup, "BUTTON", 0x52020007, 50, 55, 395, 120},
        {ControlId::kModeHarddisk, "BUTTON", 0x52000009, 95, 87, 330, 20},
        {ControlId::kModeUsb, "BUTTON", 0x52000009, 95, 125, 225, 22},
        {ControlId::kDriveList, "COMBOBOX", 0x52800003, 320, 125, 45, 150},
        {ControlId::kBrowse, "BUTTON", 0x52000000, 395, 185, 50, 26},
        {ControlId::kStatusFormat, "BUTTON", 0x52000000, 120, -33, 180, 26},
        {ControlId::kStatusCopy, "BUTTON", 0x52000000, 120, -33, 180, 26},
        {ControlId::kStatusConfig, "BUTTON", 0x52000000, 47, -33, 280, 26},
        {ControlId::kExit, "BUTTON", 0x52000000, -75, -33, 45, 26},
        {ControlId::kOk, "BUTTON", 0x52000000, -140, -33, 45, 26},
    };
    SimEnv env;
    app::onCreate(env.state);
    ASSERT_EQ(env.ui.creationOrder().size(), std::size(designed));
    auto signedCoordinate = [](Coordinate c) { return c.fromFarEdge ? -c.value : c.value; };
    for (size_t i = 0; i < std::size(designed); ++i) {
        const auto& d = designed[i];
        const ControlSpec& spec = app::controlSpec(d.id);
        SCOPED_TRACE(spec.caption);
        EXPECT_EQ(env.ui.creationOrder()[i], d.id);
        EXPECT_STREQ(spec.className, d.className);
        EXPECT_EQ(spec.style, d.style);
        EXPECT_EQ(std::make_tuple(signedCoordinate(spec.x), signedCoordinate(spec.y), spec.width,
                                  spec.height),
                  std::make_tuple(d.x, d.y, d.width, d.height));
    }

    EXPECT_TRUE(env.ui.control(ControlId::kModeHarddisk).checked);
    EXPECT_FALSE(env.ui.control(ControlId::kDriveList).enabled);
    EXPECT_TRUE(env.ui.control(ControlId::kIsoPath).enabled);
    for (ControlId status :
         {ControlId::kStatusFormat, ControlId::kStatusCopy, ControlId::kStatusConfig}) {
        EXPECT_FALSE(env.ui.control(status).visible);
    }
    EXPECT_TRUE(env.ui.boxes().empty());
    EXPECT_FALSE(env.ui.quitPosted());
    EXPECT_TRUE(env.state.hd.systemDrive.found);
    EXPECT_EQ(env.sys.attributes("C:\\boot.ini"), win::kAttrNormal);
}

// The disk is read before the main window exists: its boxes have no owner.
TEST(Startup, DiskFailuresStopAfterTheIsoPathEdit) {
    struct Case {
        const char* name;
        void (*arrange)(sim::SimSystem&);
        Message message;
    };
    const Case cases[] = {
        {"open", [](sim::SimSystem& s) { s.setDiskOpenFails(true); }, hd::msg::kDiskNotFound},
        {"read", [](sim::SimSystem& s) { s.setDiskImage(""); }, hd::msg::kMbrReadError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimEnv env;
        c.arrange(env.sys);
        app::onCreate(env.state);
        ASSERT_EQ(env.ui.boxes().size(), 1u);
        EXPECT_EQ(c.message.owner, BoxOwner::kNone);
        test::expectBox(env.ui, 0, c.message);
        EXPECT_TRUE(env.ui.quitPosted());
        EXPECT_EQ(env.ui.creationOrder(), std::vector<ControlId>{ControlId::kIsoPath});
    }
}

TEST(Startup, ShortMasterBootRecordReadIsAccepted) {
    SimEnv env;
    env.sys.setDiskReadLimit(100);
    app::onCreate(env.state);
    EXPECT_TRUE(env.ui.boxes().empty());
    EXPECT_EQ(env.ui.creationOrder().size(), 11u);
}

TEST(SystemDriveSearch, FirstActiveVolumeFromCToVWins) {
    SimEnv env;
    env.sys.volume('C').partition.info.bootIndicator = false;
    env.addVolume('E', 2, 5000, true);
    env.addVolume('F', 3, 9000, true);
    env.addVolume('W', 4, 12000, true);
    env.sys.writeHostFile("E:\\boot.ini", "[boot loader]\r\n");
    hd::searchSystemDrive(env.state.hd);
    EXPECT_EQ(env.state.hd.systemDrive.letter, 'E');
    EXPECT_EQ(env.state.hd.systemDrive.bootIniPath, "E:\\boot.ini");
    EXPECT_TRUE(env.state.hd.systemDrive.found);
    EXPECT_TRUE(env.ui.boxes().empty());
}

TEST(SystemDriveSearch, NoActiveVolumeIsSilentAndKeepsTheDefaults) {
    SimEnv env;
    env.sys.volume('C').partition.info.bootIndicator = false;
    env.addVolume('W', 1, 63, true);  // beyond V: never tried
    hd::searchSystemDrive(env.state.hd);
    EXPECT_EQ(env.state.hd.systemDrive.letter, 'C');
    EXPECT_EQ(env.state.hd.systemDrive.bootIniPath, "c:\\boot.ini");
    EXPECT_FALSE(env.state.hd.systemDrive.found);
    EXPECT_TRUE(env.ui.boxes().empty());
    EXPECT_FALSE(env.ui.quitPosted());
}

TEST(SystemDriveSearch, AMissingBootIniOrNoAdministratorEnds) {
    const struct {
        const char* name;
        void (*arrange)(SimEnv&);
        Message message;
        std::string text;  // in place of the message's own
    } cases[] = {
        {"boot.ini missing on the active D:",
         [](SimEnv& env) {
             env.addVolume('D', 2, 5000, true);
             env.sys.volume('C').partition.info.bootIndicator = false;
         },
         hd::msg::kCannotFind, std::string(hd::msg::kCannotFind.text) + "D:\\boot.ini"},
        {"attributes cannot be cleared",
         [](SimEnv& env) { env.sys.failOn(sim::Op::kSetAttributes); }, hd::msg::kAdminRequired, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimEnv env;
        c.arrange(env);
        hd::searchSystemDrive(env.state.hd);
        ASSERT_EQ(env.ui.boxes().size(), 1u);
        test::expectBox(env.ui, 0, c.message, c.text);
        EXPECT_TRUE(env.ui.quitPosted());
    }
}

TEST(InstallDetection, FindsTheMarkerOnAnyLineOfAnyLength) {
    SimEnv env;
    const std::string longLine(1000, 'x');
    env.sys.writeHostFile("C:\\boot.ini", "[boot loader]\r\n" + std::string(210, ' ') +
                                              "c:\\grldr=\"KorvaneLinux\" " + longLine + "\r\n");
    app::onCreate(env.state);
    EXPECT_TRUE(env.state.hd.bootEntryPresent);
    EXPECT_EQ(env.ui.control(ControlId::kModeHarddisk).text, "恢复到硬盘安装前的设置");
    EXPECT_TRUE(env.ui.control(ControlId::kModeHarddisk).checked);
    EXPECT_FALSE(env.ui.control(ControlId::kIsoPath).enabled);
    EXPECT_FALSE(env.ui.control(ControlId::kBrowse).enabled);
}

TEST(InstallDetection, UnreadableOrCleanBootIniLeavesTheFlagClear) {
    SimEnv clean;
    app::onCreate(clean.state);
    EXPECT_FALSE(clean.state.hd.bootEntryPresent);
    EXPECT_EQ(clean.ui.control(ControlId::kModeHarddisk).text, "硬盘安装：重启从启动菜单即可体验");

    SimEnv unreadable;
    unreadable.sys.writeHostFile("C:\\boot.ini", "c:\\grldr=\"KorvaneLinux\"\r\n");
    unreadable.sys.failOn(sim::Op::kReadFile);
    app::onCreate(unreadable.state);
    EXPECT_FALSE(unreadable.state.hd.bootEntryPresent);
}

TEST(DriveList, ListsRemovableDrivesCToZInLetterOrderAndSelectsTheFirst) {
    SimEnv env;
    env.addRemovable('A');
    env.addRemovable('K');
    env.addRemovable('G');
    env.addVolume('H', 2, 9000, false, DriveType::kCdRom);
    app::onCreate(env.state);
    EXPECT_EQ(env.ui.drives(), (std::vector<std::string>{"G:", "K:"}));
    EXPECT_EQ(env.ui.selectedDrive(), 0);
}

TEST(DriveList, EmptyWithoutRemovableDrives) {
    SimEnv env;
    app::onCreate(env.state);
    EXPECT_TRUE(env.ui.drives().empty());
    EXPECT_EQ(env.ui.selectedDrive(), -1);
}

TEST(DriveList, ArrivalAndRemovalRefillOtherEventsLeaveItAlone) {
    SimEnv env;
    for (char letter : {'E', 'F', 'G', 'H'}) env.addRemovable(letter);
    app::onCreate(env.state);
    env.ui.selectDriveIndex(2);

    app::onDeviceChange(env.state, 0x0007);  // DBT_DEVNODES_CHANGED
    EXPECT_EQ(env.ui.drives().size(), 4u);
    EXPECT_EQ(env.ui.selectedDrive(), 2);

    env.addRemovable('J');
    const int invalidations = env.ui.invalidations();
    app::onDeviceChange(env.state, win::kDbtDeviceArrival);
    EXPECT_EQ(env.ui.drives(), (std::vector<std::string>{"E:", "F:", "G:", "H:", "J:"}));
    EXPECT_EQ(env.ui.selectedDrive(), 0);
    EXPECT_EQ(env.ui.invalidations(), invalidations + 1);

    env.sys.volume('F').type = DriveType::kNoRootDir;
    app::onDeviceChange(env.state, win::kDbtDeviceRemoveComplete);
    EXPECT_EQ(env.ui.drives(), (std::vector<std::string>{"E:", "G:", "H:", "J:"}));
}

}  // namespace
}  // namespace kh
