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
    bool writeProtected = false;  // the label cannot be set
    uint32_t serial = 0x2A3B4C5D;
    bool medium = true;  // false: an empty slot, "not ready" to every volume query
    // 7.41 GB, 4.1 GB of it free.
    std::optional<DiskFreeSpace> freeSpace = DiskFreeSpace{8, 512, 1000000, 1810000};
    PartitionQuery partition;                // open failure unless the scenario says otherwise
    std::optional<uint32_t> diskNumber = 0;  // nothing: the query is not supported
};

// The temporary folder unless a test gives another.
inline const std::string kTemporaryDirectory =
    "C:\\Documents and Settings\\kh\\Local Settings\\Temp";

// Every kind of call the simulated Windows can be made to fail.
#define KH_SIM_OPS(X)    \
    X(FileExists)        \
    X(FileSize)          \
    X(SetAttributes)     \
    X(DeleteFile)        \
    X(MoveFile)          \
    X(ReplaceFile)       \
    X(CopyFile)          \
    X(ReadFile)          \
    X(CreateFile)        \
    X(Write)             \
    X(Flush)             \
    X(Close)             \
    X(DriveType)         \
    X(VolumeLabel)       \
    X(SetVolumeLabel)    \
    X(DiskFreeSpace)     \
    X(OpenVolume)        \
    X(PartitionInfo)     \
    X(DiskNumber)        \
    X(VolumeIdentity)    \
    X(OpenPhysicalDrive) \
    X(ReadDisk)          \
    X(FindResource)      \
    X(LoadResource)      \
    X(LockResource)      \
    X(CreateDirectory)   \
    X(RemoveDirectory)   \
    X(StartProcess)      \
    X(ExitCode)          \
    X(WaitForExit)       \
    X(Terminate)         \
    X(GetVersion)        \
    X(OpenProcessToken)  \
    X(RequestRestart)    \
    X(OpenForReading)    \
    X(ReadChunk)         \
    X(ListDirectory)     \
    X(FileAttributes)    \
    X(FullPathName)      \
    X(FileKind)          \
    X(ReadOutput)

enum class Op {
#define KH_SIM_OP(name) k##name,
    KH_SIM_OPS(KH_SIM_OP)
#undef KH_SIM_OP
};

// The op's name, for the tests' messages.
const char* opName(Op op);

// One call as the simulated Windows saw it: its kind, the path it names
// (empty for none) and the drive it touches ('\0' for none).
struct Call {
    Op op;
    std::string path;
    char drive = '\0';
};

class SimSystem;

// What a started child does: how long it runs, its exit code, and what it
// changes when it ends.
struct SimProcess {
    bool startFails = false;
    uint64_t runsForMs = 0;
    uint32_t exitCode = 0;
    std::string output;  // in its output file
    std::function<void(SimSystem&)> onExit;
    std::string stream = {};  // its standard output when started streaming
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
    void setDiskReadLimit(size_t bytes) { diskReadLimit_ = bytes; }
    void setResource(int id, std::string bytes, Resource::Status status = Resource::Status::kOk);
    void setModulePath(std::string path) { modulePath_ = std::move(path); }
    void setTemporaryDirectory(std::string path) { temporary_ = std::move(path); }
    void setShutdownPrivilege(ShutdownPrivilege::Status status) { privilege_ = status; }
    // Chosen by the command line the child is started with.
    std::function<SimProcess(const std::string& commandLine)> processBehaviour;

    // Convenience for scenario files.
    void writeHostFile(const std::string& windowsPath, const std::string& bytes);
    std::optional<std::string> readHostFile(const std::string& windowsPath) const;
    uint32_t attributes(const std::string& windowsPath) const;

    // Failure injection. Call numbers count every call from 1.
    // The n-th call of `op` fails.
    void failOn(Op op, int occurrence = 1) { failures_.insert({op, occurrence}); }
    // The n-th call of `op` from now on fails.
    void failNext(Op op, int n = 1) { failOn(op, callCounts_[op] + n); }
    // Call number n fails, once.
    void failCall(size_t n) { failCall_ = n; }
    // From call number n onward, every call of `op` fails (a broken service).
    void failOpFrom(size_t n, Op op) { opFrom_ = {n, op}; }
    // From call number n onward, every call touching `drive` fails (the
    // stick pulled, the disk gone).
    void failDriveFrom(size_t n, char drive);
    // Every call of `op` on `path` fails (letter case ignored).
    void failPath(Op op, const std::string& path);
    const std::vector<Call>& calls() const { return calls_; }

    // Another way to reach a volume: `alias` is a subst letter for the
    // folder `target`.
    void substDrive(char alias, const std::string& target);
    // The next replace of `path` meets a file in use (sharing violation).
    void holdOpen(const std::string& path) { heldOpen_.insert(attributeKey(path)); }
    // Every write to `path` (a file written, copied, or made by a child)
    // silently keeps other bytes than it was given, as a stick that claims
    // more capacity than it has does; no call fails.
    void corruptWrites(const std::string& path);

    // Observations.
    const std::vector<ProcessLaunch>& launches() const { return launches_; }
    std::vector<std::string> startedCommands() const;
    bool restartRequested() const { return restartRequested_; }
    uint64_t now() const { return now_; }
    void advance(uint64_t milliseconds);
    bool processRunning(ProcessHandle process) const;
    // When a running child ends by itself on the simulated clock.
    std::optional<uint64_t> processEndTime(ProcessHandle process) const;
    // Child handles not closed yet, and closes of a handle that was not open.
    size_t openProcessHandles() const { return openHandles_.size(); }
    bool processHandleOpen(ProcessHandle process) const { return openHandles_.count(process) != 0; }
    const std::vector<ProcessHandle>& strayCloses() const { return strayCloses_; }

    // SystemServices.
    bool fileExists(const std::string& path) override;
    std::optional<uint64_t> fileSize(const std::string& path) override;
    bool setAttributes(const std::string& path, uint32_t attributes) override;
    bool deleteFile(const std::string& path) override;
    FileRemoval removeFile(const std::string& path) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    ReplaceResult replaceFile(const std::string& from, const std::string& to) override;
    bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    FileContent readFile(const std::string& path, size_t maxBytes) override;
    std::optional<uint32_t> fileAttributes(const std::string& path) override;
    std::optional<std::string> fullPathName(const std::string& path) override;
    FileKind fileKind(const std::string& path) override;
    std::unique_ptr<WritableFile> createFile(const std::string& path) override;
    std::unique_ptr<WritableFile> createNewFile(const std::string& path) override;
    std::unique_ptr<ReadableFile> openForReading(const std::string& path) override;
    std::unique_ptr<PieceReader> openPastCache(const std::string& path) override;
    std::optional<std::vector<std::string>> listDirectory(const std::string& folder) override;
    DriveType driveType(char letter) override;
    std::optional<std::string> volumeLabel(char letter) override;
    bool setVolumeLabel(char letter, const std::string& label) override;
    std::optional<uint32_t> volumeSerial(char letter) override;
    std::optional<DiskFreeSpace> diskFreeSpace(char letter) override;
    PartitionQuery partitionInfo(char letter) override;
    std::optional<uint32_t> diskNumber(char letter) override;
    std::optional<std::string> volumeIdentity(const std::string& path) override;
    std::unique_ptr<RawDisk> openPhysicalDrive0() override;
    std::string modulePath() override;
    Resource resource(int id) override;
    std::string systemDirectory() override { return "C:\\WINDOWS\\system32"; }
    std::string temporaryDirectory() override;
    bool createDirectory(const std::string& path) override;
    bool removeDirectory(const std::string& path) override;
    ProcessHandle startProcess(const ProcessLaunch& launch) override;
    StreamingChild startStreaming(const ProcessLaunch& launch) override;
    std::optional<uint32_t> exitCode(ProcessHandle process) override;
    bool waitForExit(ProcessHandle process, uint32_t milliseconds) override;
    bool terminate(ProcessHandle process, uint32_t exitCode) override;
    void closeProcess(ProcessHandle process) override;
    ShutdownPrivilege enableShutdownPrivilege() override;
    bool requestRestart() override;

    // Records the call; true when it is to fail. Used by the simulated files
    // and disk too.
    bool shouldFail(Op op, const std::string& path = std::string());
    bool shouldFailOnDrive(Op op, char drive);

  private:
    struct Child {
        SimProcess behaviour;
        uint64_t endsAt = 0;
        bool ended = false;
        uint32_t exitCode = 0;
    };
    std::unique_ptr<WritableFile> openForWriting(const std::string& path);
    template <typename Reader>
    std::unique_ptr<Reader> openReader(const std::string& path);
    const SimVolume* find(char letter) const;  // none when not mapped
    std::string resolveAliases(const std::string& path) const;
    bool record(Call call);  // true when it is to fail
    bool faultMatches(const Call& call, size_t number) const;
    void settle();
    bool readOnly(const std::string& path) const;
    bool corrupts(const std::string& path) const;
    bool matchesWildcard(const std::string& path) const;
    bool copyAcrossVolumes(const std::string& from, const std::string& to);
    std::string attributeKey(const std::string& path) const;

    std::filesystem::path root_;
    std::map<char, SimVolume> volumes_;
    std::string disk_;
    size_t diskReadLimit_ = SIZE_MAX;
    std::map<int, std::pair<Resource::Status, std::string>> resources_;
    std::string modulePath_ = "C:\\tools\\KorvaneHelper.exe";
    std::string temporary_ = kTemporaryDirectory;
    ShutdownPrivilege::Status privilege_ = ShutdownPrivilege::Status::kEnabled;
    std::map<std::string, uint32_t> attributes_;

    std::map<Op, int> callCounts_;
    std::set<std::pair<Op, int>> failures_;
    size_t failCall_ = 0;
    std::optional<std::pair<size_t, Op>> opFrom_;
    std::optional<std::pair<size_t, char>> driveFrom_;
    std::set<std::pair<Op, std::string>> pathFaults_;
    std::vector<Call> calls_;
    std::map<char, std::string> substs_;
    std::set<std::string> heldOpen_;
    std::set<std::string> corruptPaths_;  // upper case
    std::set<ProcessHandle> openHandles_;
    std::vector<ProcessHandle> strayCloses_;

    std::map<ProcessHandle, Child> children_;
    ProcessHandle nextHandle_ = 0x100;
    std::vector<ProcessLaunch> launches_;
    uint64_t now_ = 0;
    bool restartRequested_ = false;
};

}  // namespace kh::sim
