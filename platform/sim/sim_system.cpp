#include "platform/sim/sim_system.h"

#include <fnmatch.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "platform/gbk_path.h"
#include "platform/read_ahead.h"
#include "platform/winconst.h"

namespace fs = std::filesystem;

namespace kh::sim {

namespace {

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string upperPath(std::string path) {
    for (char& c : path) c = upper(c);
    return path;
}

char driveOf(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' ? upper(path[0]) : '\0';
}

// What a stick that lies about its capacity keeps of a write: other bytes.
std::string corrupted(std::string_view bytes) {
    std::string kept(bytes);
    if (!kept.empty()) kept[0] = static_cast<char>(kept[0] ^ 0x5A);
    return kept;
}

class SimFile : public WritableFile {
  public:
    SimFile(SimSystem& system, const fs::path& host, const std::string& path, bool corrupts)
        : system_(system),
          out_(host, std::ios::binary | std::ios::trunc),
          path_(path),
          corrupts_(corrupts) {}
    bool isOpen() const { return out_.is_open(); }
    bool write(std::string_view bytes) override {
        if (system_.shouldFail(Op::kWrite, path_)) return false;
        const std::string kept = corrupts_ ? corrupted(bytes) : std::string(bytes);
        out_.write(kept.data(), static_cast<std::streamsize>(kept.size()));
        return static_cast<bool>(out_);
    }
    bool flush() override {
        if (system_.shouldFail(Op::kFlush, path_)) return false;
        out_.flush();
        return static_cast<bool>(out_);
    }
    bool close() override {
        if (system_.shouldFail(Op::kClose, path_)) return false;
        out_.close();
        return !out_.fail();
    }

  private:
    SimSystem& system_;
    std::ofstream out_;
    std::string path_;
    bool corrupts_;
};

class SimDisk : public RawDisk {
  public:
    SimDisk(SimSystem& system, const std::string& image, size_t limit)
        : system_(system), image_(image), limit_(limit) {}
    std::string read(uint64_t offset, size_t length) override {
        if (system_.shouldFail(Op::kReadDisk) || offset >= image_.size()) return {};
        return image_.substr(offset, std::min(length, limit_));
    }

  private:
    SimSystem& system_;
    const std::string& image_;
    size_t limit_;
};

class SimReader : public ReadableFile {
  public:
    SimReader(SimSystem& system, const fs::path& path, char drive)
        : system_(system), in_(path, std::ios::binary), drive_(drive) {}
    bool isOpen() const { return in_.is_open(); }
    std::optional<size_t> read(char* buffer, size_t capacity) override {
        if (system_.shouldFailOnDrive(Op::kReadChunk, drive_) || in_.bad()) return std::nullopt;
        in_.read(buffer, static_cast<std::streamsize>(capacity));
        return static_cast<size_t>(in_.gcount());
    }
    bool seek(uint64_t offset) override {
        in_.clear();
        return static_cast<bool>(in_.seekg(static_cast<std::streamoff>(offset)));
    }

  private:
    SimSystem& system_;
    std::ifstream in_;
    char drive_;
};

// Reads past the cache fail as Windows fails them: a buffer, a size or an
// offset that is not a whole number of 512-byte sectors. The drive may fill a
// buffer any time until its read is waited for: the buffer is scribbled on
// when the read starts and filled when it is waited for, so that a piece
// handed over early, or a buffer read into while the caller holds it, shows.
class SimPastCache : public ReadAhead {
  public:
    SimPastCache(SimSystem& system, const fs::path& path, char drive)
        : file_(system, path, drive) {}
    ~SimPastCache() override { settle(); }
    bool isOpen() const { return file_.isOpen(); }

  private:
    Start start(size_t slot, char* buffer, size_t capacity, uint64_t offset) override {
        if (reinterpret_cast<uintptr_t>(buffer) % 512 != 0 || (capacity | offset) % 512 != 0) {
            return Start::kFailed;
        }
        std::memset(buffer, 0xCD, capacity);
        requests_[slot] = {buffer, capacity, offset};
        return Start::kStarted;
    }
    std::optional<size_t> finish(size_t slot) override {
        const auto [buffer, capacity, offset] = requests_[slot];
        if (!file_.seek(offset)) return std::nullopt;
        return file_.read(buffer, capacity);
    }

    SimReader file_;
    std::tuple<char*, size_t, uint64_t> requests_[kSlots];
};

// The child's standard output: all of it there at once, in pieces as large as
// asked; its end comes with the child's.
class SimOutput : public ChildOutput {
  public:
    SimOutput(SimSystem& system, ProcessHandle process, std::string bytes)
        : system_(system), process_(process), bytes_(std::move(bytes)) {}
    OutputRead read(char* buffer, size_t capacity, uint32_t milliseconds) override {
        if (system_.shouldFail(Op::kReadOutput)) return {OutputRead::Status::kFailed};
        if (at_ < bytes_.size()) {
            const size_t n = std::min(capacity, bytes_.size() - at_);
            bytes_.copy(buffer, n, at_);
            at_ += n;
            return {OutputRead::Status::kBytes, n};
        }
        if (!system_.processRunning(process_)) return {OutputRead::Status::kEnded};
        system_.advance(milliseconds);
        return {OutputRead::Status::kNone};
    }

  private:
    SimSystem& system_;
    ProcessHandle process_;
    std::string bytes_;
    size_t at_ = 0;
};

}  // namespace

SimSystem::SimSystem() {
    std::string pattern = (fs::temp_directory_path() / "kh-sim-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
}

SimSystem::~SimSystem() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

fs::path SimSystem::mapDrive(char letter) {
    const fs::path dir = root_ / std::string(1, upper(letter));
    fs::create_directories(dir);
    return dir;
}

// "D:\x" lies in the folder of D:, "\\server\share\x" in the network's.
fs::path SimSystem::hostPath(const std::string& windowsPath) const {
    const bool network = windowsPath.rfind("\\\\", 0) == 0;
    if (!network && (windowsPath.size() < 2 || windowsPath[1] != ':')) return root_ / "invalid";
    fs::path result =
        root_ / (network ? std::string("network") : std::string(1, upper(windowsPath[0])));
    std::string part;
    for (size_t i = 2; i < windowsPath.size(); ++i) {
        const char c = windowsPath[i];
        if (isGbkLeadByte(static_cast<unsigned char>(c)) && i + 1 < windowsPath.size()) {
            part += c;
            part += windowsPath[++i];
        } else if (c == '\\') {
            if (!part.empty()) result /= part;
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) result /= part;
    return result;
}

SimVolume& SimSystem::volume(char letter) { return volumes_[upper(letter)]; }

const SimVolume* SimSystem::find(char letter) const {
    const auto it = volumes_.find(upper(letter));
    return it == volumes_.end() ? nullptr : &it->second;
}

void SimSystem::setResource(int id, std::string bytes, Resource::Status status) {
    resources_[id] = {status, std::move(bytes)};
}

void SimSystem::writeHostFile(const std::string& windowsPath, const std::string& bytes) {
    const fs::path path = hostPath(windowsPath);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << (corrupts(windowsPath) ? corrupted(bytes) : bytes);
}

void SimSystem::corruptWrites(const std::string& path) { corruptPaths_.insert(upperPath(path)); }

bool SimSystem::corrupts(const std::string& path) const {
    return corruptPaths_.count(upperPath(resolveAliases(path))) != 0;
}

std::optional<std::string> SimSystem::readHostFile(const std::string& windowsPath) const {
    std::ifstream in(hostPath(windowsPath), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string SimSystem::attributeKey(const std::string& path) const {
    return hostPath(path).string();
}

uint32_t SimSystem::attributes(const std::string& windowsPath) const {
    const auto it = attributes_.find(attributeKey(windowsPath));
    return it == attributes_.end() ? win::kAttrNormal : it->second;
}

bool SimSystem::readOnly(const std::string& path) const {
    return (attributes(path) & win::kAttrReadOnly) != 0;
}

const char* opName(Op op) {
#define KH_SIM_OP(name) #name,
    static const char* const kNames[] = {KH_SIM_OPS(KH_SIM_OP)};
#undef KH_SIM_OP
    return kNames[static_cast<size_t>(op)];
}

void SimSystem::failDriveFrom(size_t n, char drive) { driveFrom_ = {n, upper(drive)}; }

void SimSystem::failPath(Op op, const std::string& path) {
    pathFaults_.insert({op, upperPath(path)});
}

bool SimSystem::faultMatches(const Call& call, size_t number) const {
    // An empty slot answers every call that reaches for its medium "not ready".
    const SimVolume* volume = find(call.drive);
    if (volume && !volume->medium && call.op != Op::kDriveType) return true;
    if (failCall_ == number) return true;
    if (opFrom_ && number >= opFrom_->first && call.op == opFrom_->second) return true;
    if (driveFrom_ && number >= driveFrom_->first && call.drive == driveFrom_->second) return true;
    if (!call.path.empty() && pathFaults_.count({call.op, upperPath(call.path)})) return true;
    return failures_.count({call.op, callCounts_.at(call.op)}) != 0;
}

bool SimSystem::shouldFail(Op op, const std::string& path) {
    return record({op, path, driveOf(resolveAliases(path))});
}

bool SimSystem::shouldFailOnDrive(Op op, char drive) { return record({op, {}, upper(drive)}); }

bool SimSystem::record(Call call) {
    ++callCounts_[call.op];
    calls_.push_back(std::move(call));
    return faultMatches(calls_.back(), calls_.size());
}

void SimSystem::substDrive(char alias, const std::string& target) {
    substs_[upper(alias)] = target;
}

// The path as it is reached through subst letters: "S:\x" with S: a subst of
// "G:\stick" becomes "G:\stick\x".
std::string SimSystem::resolveAliases(const std::string& path) const {
    std::string resolved = path;
    for (int depth = 0; depth < 8; ++depth) {
        const auto it = substs_.find(driveOf(resolved));
        if (it == substs_.end()) break;
        resolved = it->second + resolved.substr(2);
    }
    return resolved;
}

bool SimSystem::fileExists(const std::string& path) {
    if (shouldFail(Op::kFileExists, path)) return false;
    if (fileNameOf(path).find_first_of("*?") != std::string::npos) return matchesWildcard(path);
    return fs::exists(hostPath(path));
}

// FindFirstFileA's reading of '*' and '?' in the last part of the path,
// letter case ignored.
bool SimSystem::matchesWildcard(const std::string& path) const {
    const std::string pattern = upperPath(fileNameOf(path));
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(hostPath(directoryOf(path)), error)) {
        const std::string name = upperPath(entry.path().filename().string());
        if (fnmatch(pattern.c_str(), name.c_str(), FNM_NOESCAPE) == 0) return true;
    }
    return false;
}

std::optional<uint32_t> SimSystem::fileAttributes(const std::string& path) {
    if (shouldFail(Op::kFileAttributes, path) || !fs::exists(hostPath(path))) return std::nullopt;
    if (fs::is_directory(hostPath(path))) return win::kAttrDirectory;
    return attributes(path);
}

// Only what the typed paths need: '/' read as '\\'.
std::optional<std::string> SimSystem::fullPathName(const std::string& typed) {
    if (shouldFail(Op::kFullPathName, typed) || typed.empty()) return std::nullopt;
    return withBackslashes(typed);
}

FileKind SimSystem::fileKind(const std::string& path) {
    if (shouldFail(Op::kFileKind, path)) return FileKind::kNone;
    static const std::set<std::string> kDevices = {"CON", "NUL", "PRN", "AUX", "COM1", "LPT1"};
    const std::string name = upperPath(fileNameOf(path));
    if (kDevices.count(name.substr(0, name.find('.')))) return FileKind::kDevice;
    return fs::is_regular_file(hostPath(path)) ? FileKind::kDisk : FileKind::kNone;
}

std::optional<uint64_t> SimSystem::fileSize(const std::string& path) {
    if (shouldFail(Op::kFileSize, path)) return std::nullopt;
    std::error_code error;
    const auto size = fs::file_size(hostPath(path), error);
    if (error) return std::nullopt;
    return size;
}

bool SimSystem::setAttributes(const std::string& path, uint32_t attributes) {
    if (shouldFail(Op::kSetAttributes, path) || !fs::exists(hostPath(path))) return false;
    attributes_[attributeKey(path)] = attributes;
    return true;
}

bool SimSystem::deleteFile(const std::string& path) {
    return removeFile(path) == FileRemoval::kDeleted;
}

FileRemoval SimSystem::removeFile(const std::string& path) {
    if (shouldFail(Op::kDeleteFile, path) || readOnly(path)) return FileRemoval::kFailed;
    const fs::path host = hostPath(path);
    if (!fs::exists(host)) return FileRemoval::kAbsent;
    if (!fs::is_regular_file(host)) return FileRemoval::kFailed;
    attributes_.erase(attributeKey(path));
    return fs::remove(host) ? FileRemoval::kDeleted : FileRemoval::kFailed;
}

bool SimSystem::moveFile(const std::string& from, const std::string& to) {
    if (shouldFail(Op::kMoveFile, from)) return false;
    const fs::path source = hostPath(from);
    const fs::path target = hostPath(to);
    std::error_code error;
    if (!fs::exists(source) || fs::exists(target)) return false;
    if (driveOf(resolveAliases(from)) != driveOf(resolveAliases(to))) {
        if (!copyAcrossVolumes(from, to)) return false;
    } else {
        fs::rename(source, target, error);
    }
    if (error) return false;
    // The attributes go along, those of a folder's contents too.
    const std::string fromKey = attributeKey(from);
    for (const auto& [key, value] : std::map(attributes_)) {
        if (key != fromKey && key.rfind(fromKey + "/", 0) != 0) continue;
        attributes_.erase(key);
        attributes_[attributeKey(to) + key.substr(fromKey.size())] = value;
    }
    return true;
}

// MoveFileA between volumes copies, then deletes the source. A fault half-way
// leaves the source whole and no target, as CopyFile cleans up after itself.
bool SimSystem::copyAcrossVolumes(const std::string& from, const std::string& to) {
    const std::string bytes = readHostFile(from).value_or(std::string());
    writeHostFile(to, bytes.substr(0, bytes.size() / 2));
    if (shouldFailOnDrive(Op::kWrite, driveOf(resolveAliases(to)))) {
        fs::remove(hostPath(to));
        return false;
    }
    writeHostFile(to, bytes);
    return fs::remove(hostPath(from));
}

ReplaceResult SimSystem::replaceFile(const std::string& from, const std::string& to) {
    if (shouldFail(Op::kReplaceFile, to)) return ReplaceResult::kFailed;
    if (readOnly(to) || heldOpen_.erase(attributeKey(to))) return ReplaceResult::kTargetInUse;
    std::error_code error;
    fs::rename(hostPath(from), hostPath(to), error);
    if (error) return ReplaceResult::kFailed;
    attributes_.erase(attributeKey(from));
    attributes_.erase(attributeKey(to));
    return ReplaceResult::kReplaced;
}

bool SimSystem::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    if (shouldFail(Op::kCopyFile, to)) return false;
    if (!failIfExists && readOnly(to)) return false;
    std::error_code error;
    const auto options =
        failIfExists ? fs::copy_options::none : fs::copy_options::overwrite_existing;
    if (!fs::copy_file(hostPath(from), hostPath(to), options, error) || error) return false;
    if (corrupts(to)) writeHostFile(to, readHostFile(to).value_or(std::string()));
    return true;
}

FileContent SimSystem::readFile(const std::string& path, size_t maxBytes) {
    if (shouldFail(Op::kReadFile, path) || !fs::is_regular_file(hostPath(path))) return {};
    if (fs::file_size(hostPath(path)) > maxBytes) return {FileContent::Status::kTooLarge, {}};
    return {FileContent::Status::kOk, readHostFile(path).value_or(std::string())};
}

std::unique_ptr<WritableFile> SimSystem::openForWriting(const std::string& path) {
    // CREATE_ALWAYS over a hidden or system file is denied, as over a read-only one.
    if (attributes(path) & (win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem)) {
        return nullptr;
    }
    const fs::path host = hostPath(path);
    if (!fs::is_directory(host.parent_path()) || fs::is_directory(host)) return nullptr;
    auto file = std::make_unique<SimFile>(*this, host, path, corrupts(path));
    if (!file->isOpen()) return nullptr;
    attributes_.erase(attributeKey(path));
    return file;
}

std::unique_ptr<WritableFile> SimSystem::createFile(const std::string& path) {
    if (shouldFail(Op::kCreateFile, path)) return nullptr;
    return openForWriting(path);
}

std::unique_ptr<WritableFile> SimSystem::createNewFile(const std::string& path) {
    if (shouldFail(Op::kCreateFile, path) || fs::exists(hostPath(path))) return nullptr;
    return openForWriting(path);
}

std::unique_ptr<ReadableFile> SimSystem::openForReading(const std::string& path) {
    return openReader<SimReader>(path);
}

std::unique_ptr<PieceReader> SimSystem::openPastCache(const std::string& path) {
    return openReader<SimPastCache>(path);
}

template <typename Reader>
std::unique_ptr<Reader> SimSystem::openReader(const std::string& path) {
    if (shouldFail(Op::kOpenForReading, path) || !fs::is_regular_file(hostPath(path))) {
        return nullptr;
    }
    auto file = std::make_unique<Reader>(*this, hostPath(path), driveOf(resolveAliases(path)));
    if (!file->isOpen()) return nullptr;
    return file;
}

std::optional<std::vector<std::string>> SimSystem::listDirectory(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator entries(hostPath(folder), error);
    if (shouldFail(Op::kListDirectory, folder) || error) return std::nullopt;
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.path().filename().string());
    return names;
}

DriveType SimSystem::driveType(char letter) {
    const SimVolume* volume = shouldFailOnDrive(Op::kDriveType, letter) ? nullptr : find(letter);
    return volume ? volume->type : DriveType::kNoRootDir;
}

std::optional<std::string> SimSystem::volumeLabel(char letter) {
    const SimVolume* volume = shouldFailOnDrive(Op::kVolumeLabel, letter) ? nullptr : find(letter);
    return volume ? volume->label : std::nullopt;
}

// The same call as the label (GetVolumeInformationA), so it fails with it.
std::optional<uint32_t> SimSystem::volumeSerial(char letter) {
    const SimVolume* volume = shouldFailOnDrive(Op::kVolumeLabel, letter) ? nullptr : find(letter);
    return volume ? std::optional(volume->serial) : std::nullopt;
}

bool SimSystem::setVolumeLabel(char letter, const std::string& label) {
    if (shouldFailOnDrive(Op::kSetVolumeLabel, letter) || !find(letter)) return false;
    if (volumes_[upper(letter)].writeProtected) return false;
    volumes_[upper(letter)].label = label;
    return true;
}

std::optional<DiskFreeSpace> SimSystem::diskFreeSpace(char letter) {
    const SimVolume* volume =
        shouldFailOnDrive(Op::kDiskFreeSpace, letter) ? nullptr : find(letter);
    return volume ? volume->freeSpace : std::nullopt;
}

PartitionQuery SimSystem::partitionInfo(char letter) {
    if (shouldFailOnDrive(Op::kOpenVolume, letter))
        return {PartitionQuery::Status::kOpenFailed, {}};
    if (shouldFailOnDrive(Op::kPartitionInfo, letter)) {
        return {PartitionQuery::Status::kQueryFailed, {}};
    }
    const SimVolume* volume = find(letter);
    return volume ? volume->partition : PartitionQuery{PartitionQuery::Status::kOpenFailed, {}};
}

std::optional<uint32_t> SimSystem::diskNumber(char letter) {
    const SimVolume* volume = shouldFailOnDrive(Op::kDiskNumber, letter) ? nullptr : find(letter);
    return volume ? volume->diskNumber : std::nullopt;
}

// Volumes are named after their drive letter.
std::optional<std::string> SimSystem::volumeIdentity(const std::string& path) {
    const char drive = driveOf(resolveAliases(path));
    if (shouldFail(Op::kVolumeIdentity, path) || !volumes_.count(drive)) return std::nullopt;
    return "\\\\?\\Volume{" + std::string(1, drive) + "}\\";
}

std::unique_ptr<RawDisk> SimSystem::openPhysicalDrive0() {
    if (shouldFail(Op::kOpenPhysicalDrive)) return nullptr;
    return std::make_unique<SimDisk>(*this, disk_, diskReadLimit_);
}

std::string SimSystem::modulePath() { return modulePath_; }

Resource SimSystem::resource(int id) {
    const auto it = resources_.find(id);
    if (shouldFail(Op::kFindResource) || it == resources_.end()) {
        return {Resource::Status::kNotFound, {}};
    }
    if (shouldFail(Op::kLoadResource)) return {Resource::Status::kLoadFailed, {}};
    if (shouldFail(Op::kLockResource)) return {Resource::Status::kLockFailed, {}};
    return {it->second.first, it->second.second};
}

std::string SimSystem::temporaryDirectory() {
    fs::create_directories(hostPath(temporary_));
    return temporary_;
}

bool SimSystem::createDirectory(const std::string& path) {
    if (shouldFail(Op::kCreateDirectory, path)) return false;
    std::error_code error;
    return fs::create_directory(hostPath(path), error);
}

bool SimSystem::removeDirectory(const std::string& path) {
    if (shouldFail(Op::kRemoveDirectory, path)) return false;
    std::error_code error;
    return fs::is_directory(hostPath(path)) && fs::remove(hostPath(path), error);
}

ProcessHandle SimSystem::startProcess(const ProcessLaunch& launch) {
    if (shouldFail(Op::kStartProcess, launch.program)) return 0;
    launches_.push_back(launch);
    SimProcess behaviour = processBehaviour ? processBehaviour(launch.commandLine) : SimProcess{};
    // What the child prints is there at once.
    auto output = launch.outputPath.empty() ? nullptr : createFile(launch.outputPath);
    if (output && !(output->write(behaviour.output) && output->close())) return 0;
    if (behaviour.startFails || (!launch.outputPath.empty() && !output)) return 0;
    const ProcessHandle handle = nextHandle_++;
    Child& child = children_[handle];
    child.endsAt = now_ + behaviour.runsForMs;
    child.exitCode = behaviour.exitCode;
    child.behaviour = std::move(behaviour);
    openHandles_.insert(handle);
    settle();
    return handle;
}

StreamingChild SimSystem::startStreaming(const ProcessLaunch& launch) {
    const ProcessHandle process = startProcess(launch);
    if (process == 0) return {};
    const std::string stream = children_[process].behaviour.stream;
    return {process, std::make_unique<SimOutput>(*this, process, stream)};
}

std::vector<std::string> SimSystem::startedCommands() const {
    std::vector<std::string> lines;
    for (const ProcessLaunch& launch : launches_) lines.push_back(launch.commandLine);
    return lines;
}

// Children whose time has come end with their own exit code.
void SimSystem::settle() {
    for (auto& [handle, child] : children_) {
        if (child.ended || child.endsAt > now_) continue;
        child.ended = true;
        if (child.behaviour.onExit) child.behaviour.onExit(*this);
    }
}

void SimSystem::advance(uint64_t milliseconds) {
    now_ += milliseconds;
    settle();
}

std::optional<uint64_t> SimSystem::processEndTime(ProcessHandle process) const {
    const auto it = children_.find(process);
    if (it == children_.end() || it->second.ended) return std::nullopt;
    return it->second.endsAt;
}

bool SimSystem::processRunning(ProcessHandle process) const {
    const auto it = children_.find(process);
    return it != children_.end() && !it->second.ended;
}

std::optional<uint32_t> SimSystem::exitCode(ProcessHandle process) {
    if (shouldFail(Op::kExitCode)) return std::nullopt;
    const auto it = children_.find(process);
    if (it == children_.end()) return std::nullopt;
    return it->second.ended ? it->second.exitCode : win::kStillActive;
}

bool SimSystem::waitForExit(ProcessHandle process, uint32_t milliseconds) {
    if (shouldFail(Op::kWaitForExit)) return false;
    const auto it = children_.find(process);
    if (it == children_.end()) return false;
    if (!it->second.ended) {
        const uint64_t remaining = it->second.endsAt > now_ ? it->second.endsAt - now_ : 0;
        advance(std::min<uint64_t>(remaining, milliseconds));
    }
    return it->second.ended;
}

bool SimSystem::terminate(ProcessHandle process, uint32_t exitCode) {
    if (shouldFail(Op::kTerminate)) return false;
    const auto it = children_.find(process);
    if (it == children_.end()) return false;
    if (!it->second.ended) {
        it->second.ended = true;
        it->second.exitCode = exitCode;
    }
    return true;
}

void SimSystem::closeProcess(ProcessHandle process) {
    if (!openHandles_.erase(process)) strayCloses_.push_back(process);
}

ShutdownPrivilege SimSystem::enableShutdownPrivilege() {
    if (shouldFail(Op::kGetVersion)) return {ShutdownPrivilege::Status::kVersionFailed};
    if (shouldFail(Op::kOpenProcessToken)) return {ShutdownPrivilege::Status::kTokenFailed};
    return {privilege_};
}

bool SimSystem::requestRestart() {
    if (shouldFail(Op::kRequestRestart)) return false;
    restartRequested_ = true;
    return true;
}

}  // namespace kh::sim
