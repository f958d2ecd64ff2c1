// Writes the menu.lst the hard-disk install would leave on a machine whose
// first disk is a given image: the program's own start-up scan of the
// partition table, its choice of the system drive, its install plan (the
// menu's partition numbers) and its menu rewrite run on a simulated Windows
// whose C: (active) and ISO drive sit at the given starting offsets of the
// image.
//
// Usage: kh_boot_mkmenu DISK.img SYSTEM_OFFSET ISO_OFFSET SAMPLE_MENU OUT_MENU
// Prints "system-index=N iso-number=M" (menu's root (hd0,N), isodev=/dev/sdaM).
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "app/app_state.h"
#include "hdinstall/install_plan.h"
#include "hdinstall/menu_rewrite.h"
#include "hdinstall/partition_table.h"
#include "hdinstall/startup_checks.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"

namespace {

std::optional<std::string> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::optional<uint64_t> parseOffset(const char* text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (end == text || *end != '\0') return std::nullopt;
    return value;
}

// A volume at `offset`; the Windows partition number stays 0, so only a match
// by offset in the parsed table can give the right Linux number.
void placeVolume(kh::sim::SimSystem& sys, char letter, uint64_t offset, bool active) {
    sys.mapDrive(letter);
    kh::PartitionQuery query;
    query.status = kh::PartitionQuery::Status::kOk;
    query.info.startingOffset = offset;
    query.info.bootIndicator = active;
    sys.volume(letter).partition = query;
}

int fail(const std::string& text) {
    std::cerr << "mkmenu: " << text << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        return fail("usage: kh_boot_mkmenu DISK.img SYSTEM_OFFSET ISO_OFFSET SAMPLE_MENU OUT_MENU");
    }
    const auto image = readFile(argv[1]);
    const auto systemOffset = parseOffset(argv[2]);
    const auto isoOffset = parseOffset(argv[3]);
    const auto sample = readFile(argv[4]);
    if (!image || !sample) return fail("cannot read the disk image or the sample menu");
    if (!systemOffset || !isoOffset) return fail("offsets must be numbers of bytes");

    kh::sim::SimSystem sys;
    kh::sim::SimUi ui;
    kh::AppState state(sys, ui);
    sys.setDiskImage(*image);
    placeVolume(sys, 'C', *systemOffset, true);
    sys.writeHostFile("c:\\boot.ini", "[boot loader]\r\ntimeout=30\r\n");
    sys.writeHostFile("c:\\menu.lst", *sample);
    const char isoDrive = *isoOffset == *systemOffset ? 'C' : 'D';
    if (isoDrive == 'D') placeVolume(sys, 'D', *isoOffset, false);

    if (!kh::hd::scanMasterBootRecord(state.hd)) return fail("the partition table was not read");
    kh::hd::searchSystemDrive(state.hd);
    if (!state.hd.systemDrive.found) return fail("no system partition found");

    const kh::hd::InstallPlan plan =
        kh::hd::planMenuNumbers(state.hd.partitions, kh::hd::volumeFacts(sys, isoDrive),
                                kh::hd::volumeFacts(sys, state.hd.systemDrive.letter));
    if (!plan.numbers) return fail(std::string("the install refuses: ") + plan.refusal->text);
    if (kh::hd::rewriteMenu(state.hd, *plan.numbers) != kh::hd::MenuOutcome::kDone) {
        return fail("the menu rewrite failed");
    }
    const auto menu = sys.readHostFile("c:\\menu.lst");
    std::ofstream out(argv[5], std::ios::binary);
    if (!menu || !(out << *menu)) return fail(std::string("cannot write ") + argv[5]);
    std::cout << "system-index=" << plan.numbers->systemPartitionIndex
              << " iso-number=" << plan.numbers->isoPartitionNumber << "\n";
    return 0;
}
