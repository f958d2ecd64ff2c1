// A simulated Windows for the tests: drive letters mapped to temporary
// directories, volumes and the first disk from a scenario, scripted child
// processes on a virtual clock, and any call made to fail on demand.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/system.h"

namespace kh::sim {

struct SimVolume {
    DriveType type = DriveType::kFixed;
    std::optional<std::string> label = std::string();
    std::optional<DiskFreeSpace> freeSpace = DiskFreeSpace{8, 512, 1000000};
    PartitionQuery partition;  // open failure unless the scenario says otherwise
};

class SimSystem;

// What a started child does: how long it runs, its exit code, and what it
// changes when it ends.
struct SimProcess {
    bool startFails = false;
    uint64_t runsForMs = 0;
    uint32_t exitCode = 0;
    std::string output;  // what runCaptured collects
    std::function<void(SimSystem&)> onExit;
};

class SimSystem : public SystemServices {
  public:
    SimSystem();
    ~SimSystem() override;
    SimSystem(const SimSystem&) = delete;
    SimSystem& operator=(const SimSystem&) = delete;

    // Scenario.
    std::filesystem::path mapDrive(char letter);  // creates the drive's directory
    std::filesystem::path hostPath(const std::string& windowsPath) const;
    SimVolume& volume(char letter);
    void setDiskImage(std::string image) { disk_ = std::move(image); }
    void setDiskOpenFails(bool fails) { diskOpenFails_ = fails; }
    void setDiskReadLimit(size_t bytes) { diskReadLimit_ = bytes; }
    void setResource(int id, std::string bytes, Resource::Status status = Resource::Status::kOk);
    void setModulePath(std::string path) { modulePath_ = std::move(path); }
    void setShutdownPrivilege(ShutdownPrivilege::Status status) { privilege_ = status; }
    std::function<SimProcess(const std::string& commandLine)> processBehaviour;

    // Convenience for scenario files.
    void writeHostFile(const std::string& windowsPath, const std::string& bytes);
    std::optional<std::string> readHostFile(const std::string& windowsPath) const;
    uint32_t attributes(const std::string& windowsPath) const;

    // Failure injection: the n-th call (1-based) of `operation`, or the n-th
    // call of any operation, fails.
    void failOn(const std::string& operation, int occurrence = 1);
    void failCallNumber(int n) { failCallNumber_ = n; }
    const std::vector<std::string>& calls() const { return calls_; }

    // Observations.
    const std::vector<std::string>& startedCommands() const { return started_; }
    bool restartRequested() const { return restartRequested_; }
    uint64_t now() const { return now_; }
    void advance(uint64_t milliseconds);
    bool processRunning(ProcessHandle process) const;

    // SystemServices.
    bool fileExists(const std::string& path) override;
    std::optional<uint64_t> fileSize(const std::string& path) override;
    bool setAttributes(const std::string& path, uint32_t attributes) override;
    bool deleteFile(const std::string& path) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    bool replaceFile(const std::string& from, const std::string& to) override;
    bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    std::optional<std::string> readFile(const std::string& path) override;
    std::unique_ptr<WritableFile> createFile(const std::string& path) override;
    DriveType driveType(char letter) override;
    std::optional<std::string> volumeLabel(char letter) override;
    std::optional<DiskFreeSpace> diskFreeSpace(char letter) override;
    PartitionQuery partitionInfo(char letter) override;
    std::unique_ptr<RawDisk> openPhysicalDrive0() override;
    std::string modulePath() override;
    Resource resource(int id) override;
    ProcessHandle startProcess(const std::string& commandLine) override;
    ProcessHandle startProcessWithOutput(const std::string& commandLine,
                                         const std::string& outputPath) override;
    unsigned winExec(const std::string& commandLine) override;
    std::optional<CapturedRun> runCaptured(const std::string& commandLine,
                                           uint32_t milliseconds) override;
    std::optional<uint32_t> exitCode(ProcessHandle process) override;
    bool waitForExit(ProcessHandle process, uint32_t milliseconds) override;
    bool terminate(ProcessHandle process, uint32_t exitCode) override;
    void closeProcess(ProcessHandle process) override;
    void sleep(uint32_t milliseconds) override;
    uint64_t tickCount() override;
    ShutdownPrivilege enableShutdownPrivilege() override;
    bool requestRestart() override;

    // Used by the simulated files and disk.
    bool shouldFail(const std::string& operation);

  private:
    struct Child {
        SimProcess behaviour;
        uint64_t endsAt = 0;
        bool ended = false;
        uint32_t exitCode = 0;
    };
    ProcessHandle launch(const std::string& commandLine, bool* started);
    void endChild(Child& child, uint32_t exitCode);
    void settle();
    bool readOnly(const std::string& path) const;
    std::string attributeKey(const std::string& path) const;

    std::filesystem::path root_;
    std::map<char, SimVolume> volumes_;
    std::string disk_;
    bool diskOpenFails_ = false;
    size_t diskReadLimit_ = SIZE_MAX;
    std::map<int, std::pair<Resource::Status, std::string>> resources_;
    std::string modulePath_ = "C:\\tools\\KorvaneHelper.exe";
    ShutdownPrivilege::Status privilege_ = ShutdownPrivilege::Status::kEnabled;
    std::map<std::string, uint32_t> attributes_;

    std::map<std::string, int> callCounts_;
    std::set<std::pair<std::string, int>> failures_;
    int failCallNumber_ = 0;
    std::vector<std::string> calls_;

    std::map<ProcessHandle, Child> children_;
    ProcessHandle nextHandle_ = 0x100;
    std::vector<std::string> started_;
    uint64_t now_ = 0;
    bool restartRequested_ = false;
};

}  // namespace kh::sim
