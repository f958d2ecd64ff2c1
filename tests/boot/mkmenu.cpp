// Usage: kh_boot_mkmenu DISK.img SYSTEM_OFFSET ISO_OFFSET SAMPLE_MENU >MENU
// The menu.lst the program's own start-up scan, install plan and menu rewrite leave on a simulated
// Windows whose first disk is the image, with C: (active) and the ISO drive at the byte offsets.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "hdinstall/install_plan.h"
#include "hdinstall/menu_entry.h"
#include "hdinstall/startup_checks.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"

namespace {

std::string readFile(const char* path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

// The Windows partition number stays 0: only a match by offset in the table gives the Linux number.
void placeVolume(kh::sim::SimSystem& sys, char letter, const char* offset, bool active) {
    sys.mapDrive(letter);
    sys.volume(letter).partition = {kh::PartitionQuery::Status::kOk,
                                    {std::strtoull(offset, nullptr, 0), 0, active}};
}

int fail(const std::string& text) {
    std::cerr << "mkmenu: " << text << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return fail("usage: kh_boot_mkmenu DISK.img SYSTEM_OFFSET ISO_OFFSET MENU");
    kh::sim::SimSystem sys;
    kh::sim::SimUi ui(sys);
    kh::SharedState shared(sys, ui);
    kh::hd::DiskState state(shared);
    sys.setDiskImage(readFile(argv[1]));
    placeVolume(sys, 'C', argv[2], true);
    const char isoDrive = std::string(argv[2]) == argv[3] ? 'C' : 'D';
    if (isoDrive == 'D') placeVolume(sys, 'D', argv[3], false);
    sys.writeHostFile("c:\\boot.ini", "[boot loader]\r\ntimeout=30\r\n");

    if (!kh::hd::scanMasterBootRecord(state)) return fail("the partition table was not read");
    kh::hd::searchSystemDrive(state);
    if (!state.systemDrive.found) return fail("no system partition found");
    const kh::hd::InstallPlan plan =
        kh::hd::planMenuNumbers(state.partitions, kh::hd::volumeFacts(sys, isoDrive),
                                kh::hd::volumeFacts(sys, state.systemDrive.letter));
    if (!plan.numbers) return fail(std::string("the install refuses: ") + plan.refusal->text);
    std::cout << kh::hd::insertMenuEntry(
        readFile(argv[4]),
        kh::hd::menuEntry(plan.numbers->isoPartitionNumber, plan.numbers->systemPartitionIndex));
    return 0;
}
