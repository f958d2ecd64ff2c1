#include "tests/support/sim_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/child_process.h"
#include "platform/gbk_path.h"

namespace kh::test {

namespace {

// Files the program must never write or delete: a folder of its name made
// in the temporary folder before it ran, and the user's 7-Zip beside it.
std::vector<std::pair<std::string, std::string>> usersFiles() {
    return {{sim::kTemporaryDirectory + "\\KorvaneHelper-1\\7z.dll", "planted"},
            {"C:\\tools\\7z.exe", "user's"},
            {"C:\\tools\\7z.dll", "user's"},
            {"C:\\tools\\KorvaneHelper.exe", "MZ"}};
}

}  // namespace

void writeTable(std::string& image, uint64_t atSector, const std::vector<SlotSpec>& slots) {
    const size_t base = atSector * 512;
    if (image.size() < base + 512) image.resize(base + 512, '\0');
    for (size_t i = 0; i < slots.size() && i < 4; ++i) {
        const size_t entry = base + 446 + 16 * i;
        image[entry] = static_cast<char>(slots[i].active ? 0x80 : 0x00);
        image[entry + 4] = static_cast<char>(slots[i].type);
        for (int b = 0; b < 4; ++b) {
            image[entry + 8 + b] = static_cast<char>((slots[i].firstSector >> (8 * b)) & 0xFF);
            image[entry + 12 + b] = static_cast<char>((slots[i].sectorCount >> (8 * b)) & 0xFF);
        }
    }
    image[base + 510] = static_cast<char>(0x55);
    image[base + 511] = static_cast<char>(0xAA);
}

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string sampleMenu() { return fileBytes(KH_SOURCE_DIR "/payloads/data/menu.lst"); }

std::string blankDisk(uint64_t sectors) { return std::string(sectors * 512, '\0'); }

SimEnv::SimEnv() {
    std::string disk = blankDisk(64);
    writeTable(disk, 0, {{0x07, 63, 1000000, true}});
    sys.setDiskImage(disk);
    addVolume('C', 1, 63, true);
    sys.writeHostFile("C:\\boot.ini",
                      "[boot loader]\r\ntimeout=30\r\n"
                      "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
                      "[operating systems]\r\n"
                      "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP "
                      "Professional\" /fastdetect\r\n");
    for (const auto& [path, bytes] : usersFiles()) sys.writeHostFile(path, bytes);
}

SimEnv::~SimEnv() {
    const size_t tracked =
        (state.shared.extractionChild != 0) + (state.usb.session.formatChild != 0);
    EXPECT_EQ(sys.openProcessHandles(), tracked) << "child process handles left open";
    EXPECT_TRUE(sys.strayCloses().empty()) << "a child process handle closed twice";
    // The window's loop would wait on a closed handle, which fails at once, again and again.
    EXPECT_TRUE(ui.watchedProcess() == 0 || sys.processHandleOpen(ui.watchedProcess()))
        << "a closed child process handle still watched";
    for (const ProcessLaunch& launch : sys.launches()) {
        const std::string folder = directoryOf(launch.program);
        EXPECT_TRUE(folder == sys.systemDirectory() || folder == toolsFolder()) << launch.program;
        EXPECT_EQ(launch.commandLine.rfind(quoteArgument(launch.program) + " ", 0), 0u);
        EXPECT_EQ(launch.currentDirectory, sys.systemDirectory());
        EXPECT_EQ(launch.console, fileNameOf(launch.program) == "cmd.exe") << launch.program;
    }
    for (const auto& [path, bytes] : usersFiles()) EXPECT_EQ(sys.readHostFile(path), bytes);
    namespace fs = std::filesystem;
    EXPECT_EQ(std::distance(fs::directory_iterator(sys.hostPath("C:\\tools")), {}), 3)
        << "a file written beside the program";
}

void SimEnv::addVolume(char letter, uint32_t partitionNumber, uint32_t firstSector, bool active,
                       DriveType type) {
    sys.mapDrive(letter);
    sim::SimVolume& volume = sys.volume(letter);
    volume.type = type;
    volume.partition.status = PartitionQuery::Status::kOk;
    volume.partition.info = {uint64_t{firstSector} * 512, partitionNumber, active};
}

void SimEnv::addRemovable(char letter, const std::string& label) {
    sys.mapDrive(letter);
    sim::SimVolume& volume = sys.volume(letter);
    volume.type = DriveType::kRemovable;
    volume.label = label;
}

std::string SimEnv::messages() const {
    std::string all;
    for (const auto& box : ui.boxes()) all += box.text + "\n";
    return all;
}

std::vector<std::string> SimEnv::rootFiles(char drive) const {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(sys.hostPath(std::string{drive, ':', '\\'}))) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string SimEnv::toolsFolder() const {
    // The attempts end with the folder made.
    std::string folder;
    for (const sim::Call& call : sys.calls()) {
        if (call.op == sim::Op::kCreateDirectory &&
            fileNameOf(call.path).rfind("KorvaneHelper-", 0) == 0) {
            folder = call.path;
        }
    }
    return folder;
}

std::vector<std::string> SimEnv::temporaryFiles(char drive) const {
    std::vector<std::string> names;
    for (const std::string& name : rootFiles(drive)) {
        if (name.rfind("~kh-", 0) == 0) names.push_back(name);
    }
    return names;
}

void expectBox(const sim::SimUi& ui, size_t index, const Message& message,
               const std::string& text) {
    ASSERT_GT(ui.boxes().size(), index);
    const auto& box = ui.boxes()[index];
    EXPECT_EQ(box.owner, message.owner);
    EXPECT_EQ(box.text, text.empty() ? std::string(message.text) : text);
    EXPECT_EQ(box.caption, message.caption);
    EXPECT_EQ(box.flags, message.flags);
}

void expectLastBox(const sim::SimUi& ui, const Message& message, const std::string& text) {
    ASSERT_FALSE(ui.boxes().empty());
    expectBox(ui, ui.boxes().size() - 1, message, text);
}

void expectOnlyFailureBox(const SimEnv& env, const Message& message) {
    ASSERT_EQ(env.ui.boxes().size(), 1u) << env.messages();
    expectBox(env.ui, 0, message);
    EXPECT_TRUE(env.ui.quitPosted());
}

}  // namespace kh::test
