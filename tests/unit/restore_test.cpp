// The restore after an install on the simulated machine: the boot.ini entry
// and every installed file go, whatever attributes they carry; what cannot
// go is named; a failing boot.ini rewrite leaves everything in place.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/control_table.h"
#include "hdinstall/bootini_rules.h"
#include "hdinstall/messages.h"
#include "platform/winconst.h"
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
        ASSERT_TRUE(state.bootEntryPresent);
    }
    void pressOk() { app::onCommand(state, static_cast<int>(ControlId::kOk)); }
    std::string lastText() const { return ui.boxes().empty() ? "" : ui.boxes().back().text; }
};

std::unique_ptr<InstallMachine> installedMachine() {
    auto m = std::make_unique<InstallMachine>();
    m->sys.setResource(payloads::kG2ldr, "g2ldr-stage");
    m->start();
    m->installFrom(test::kIsoInFolder);
    EXPECT_TRUE(m->sys.restartRequested()) << m->messages();
    return m;
}

const std::vector<std::string> kAllInstalled = {
    "C:\\vmlinuz0",     "C:\\menu.lst", "C:\\initrd4disk.img", "C:\\fonts", "C:\\grldr",
    "C:\\greengem.xpm", "C:\\g2ldr"};

TEST(HdRestore, SecondStartRemovesTheEntryAndEveryInstalledFile) {
    auto m = installedMachine();
    SecondStart second(*m);
    second.start();
    EXPECT_EQ(second.ui.control(ControlId::kModeHarddisk).text, app::kRestoreCaption);
    second.pressOk();

    ASSERT_EQ(second.ui.boxes().size(), 1u);
    const auto& box = second.ui.boxes()[0];
    EXPECT_EQ(box.text, "如果想重新硬盘安装请继续运行本工具");
    EXPECT_EQ(box.caption, "成功清除");
    EXPECT_EQ(box.flags, win::kMbIconInformation);
    EXPECT_EQ(box.owner, BoxOwner::kMainWindow);
    EXPECT_TRUE(second.ui.quitPosted());
    for (const std::string& path : kAllInstalled) EXPECT_FALSE(m->exists(path)) << path;
    EXPECT_EQ(m->file(test::kBootIni).find(hd::kEntryMarker), std::string::npos);
    EXPECT_EQ(m->file(test::kIsoInRoot), "live-iso-image");  // the user's file stays
}

TEST(HdRestore, MissingFilesAreFineAndMarkedFilesAreClearedFirst) {
    auto m = installedMachine();
    m->sys.deleteFile("C:\\fonts");
    m->sys.deleteFile("C:\\g2ldr");
    m->sys.setAttributes("C:\\grldr", win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem);
    m->sys.setAttributes("C:\\menu.lst", win::kAttrReadOnly);
    SecondStart second(*m);
    second.start();
    second.pressOk();
    EXPECT_EQ(second.lastText(), hd::msg::kRestoreDone);
    for (const std::string& path : kAllInstalled) EXPECT_FALSE(m->exists(path)) << path;
}

TEST(HdRestore, FilesThatCannotBeDeletedAreNamedOnePerLine) {
    auto m = installedMachine();
    SecondStart second(*m);
    second.start();
    m->failNext("deleteFile", 3);  // c:\initrd4disk.img
    m->failNext("deleteFile", 7);  // c:\g2ldr
    second.pressOk();

    ASSERT_EQ(second.ui.boxes().size(), 1u);
    const auto& box = second.ui.boxes()[0];
    EXPECT_EQ(box.text,
              std::string(hd::msg::kRestoreLeftOver) + "\nC:\\initrd4disk.img\nC:\\g2ldr");
    EXPECT_EQ(box.caption, "警告");
    EXPECT_EQ(box.flags, win::kMbIconWarning);
    EXPECT_TRUE(second.ui.quitPosted());
    EXPECT_TRUE(m->exists("C:\\initrd4disk.img"));
    EXPECT_FALSE(m->exists("C:\\grldr"));
}

TEST(HdRestore, FailingBootIniRemovalLeavesEveryFile) {
    for (const char* operation :
         {"setAttributes", "readFile", "createFile", "write", "flush", "close", "replaceFile"}) {
        auto m = installedMachine();
        const std::string bootIni = m->file(test::kBootIni);
        SecondStart second(*m);
        second.start();
        m->failNext(operation);
        second.pressOk();
        ASSERT_EQ(second.ui.boxes().size(), 1u) << operation;
        EXPECT_NE(second.lastText(), hd::msg::kRestoreDone) << operation;
        EXPECT_TRUE(second.ui.quitPosted()) << operation;
        EXPECT_EQ(m->file(test::kBootIni), bootIni) << operation;
        for (const std::string& path : kAllInstalled) EXPECT_TRUE(m->exists(path)) << path;
    }
}

// Every system call of the restore made to fail in turn.
TEST(HdRestore, NoFailedCallIsReportedAsSuccessOrBreaksBootIni) {
    const std::string successCaption = "成功清除";
    size_t startCalls = 0;
    size_t allCalls = 0;
    std::string installed;
    std::string restored;
    {
        auto m = installedMachine();
        SecondStart clean(*m);
        clean.start();
        startCalls = m->sys.calls().size();
        installed = m->file(test::kBootIni);
        clean.pressOk();
        ASSERT_EQ(clean.lastText(), hd::msg::kRestoreDone);
        allCalls = m->sys.calls().size();
        restored = m->file(test::kBootIni);
    }

    for (size_t n = startCalls + 1; n <= allCalls; ++n) {
        auto m = installedMachine();
        SecondStart second(*m);
        second.start();
        ASSERT_EQ(m->sys.calls().size(), startCalls);
        m->sys.failCallNumber(static_cast<int>(n));
        second.pressOk();
        SCOPED_TRACE("call " + std::to_string(n) + " " + m->sys.calls()[n - 1]);

        ASSERT_EQ(second.ui.boxes().size(), 1u);
        EXPECT_TRUE(second.ui.quitPosted());
        const std::string bootIni = m->file(test::kBootIni);
        ASSERT_TRUE(bootIni == installed || bootIni == restored) << bootIni;
        size_t left = 0;
        for (const std::string& path : kAllInstalled) left += m->exists(path);
        EXPECT_TRUE(bootIni != installed || left == kAllInstalled.size()) << left;
        if (second.ui.boxes()[0].caption == successCaption) {
            EXPECT_EQ(left, 0u);
            EXPECT_EQ(bootIni, restored);
        } else if (bootIni == restored) {
            // Every file still there is named.
            for (const std::string& path : kAllInstalled) {
                if (m->exists(path)) {
                    EXPECT_NE(second.lastText().find(path), std::string::npos) << path;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kh
