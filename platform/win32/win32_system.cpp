#include "platform/win32/win32_system.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <vector>

#include "platform/gbk_path.h"
#include "platform/read_ahead.h"

namespace kh::win32 {

namespace {

// The progress routine of a copy or a move, which may take minutes (an ISO
// moved to another disk, a kernel copied to a slow stick): messages sent to the
// window meanwhile are answered and it is repainted, so that it is never taken
// for hung. Clicks wait for the end of the step, which the core does not expect
// to be entered again halfway.
DWORD CALLBACK answerWhileCopying(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                  DWORD, HANDLE, HANDLE, LPVOID) {
    MSG message;
    // Any look at the queue delivers the messages sent from other threads.
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    // Each paint validates what it drew, so the queue runs dry; the bound
    // guards against a window that keeps invalidating itself.
    for (int i = 0; i < 16 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
        DispatchMessageA(&message);
    }
    return PROGRESS_CONTINUE;
}

// Owns a kernel handle.
class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    HANDLE release() {
        HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return h;
    }

  private:
    HANDLE handle_;
};

std::string rootOf(char letter) { return std::string{letter, ':', '\\'}; }

class Win32File : public WritableFile {
  public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    bool write(std::string_view bytes) override {
        DWORD written = 0;
        return WriteFile(handle_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) &&
               written == bytes.size();
    }
    bool flush() override { return FlushFileBuffers(handle_.get()) != 0; }
    bool close() override { return CloseHandle(handle_.release()) != 0; }

  private:
    Handle handle_;
};

class Win32Reader : public ReadableFile {
  public:
    explicit Win32Reader(HANDLE handle) : handle_(handle) {}
    std::optional<size_t> read(char* buffer, size_t capacity) override {
        DWORD got = 0;
        if (!ReadFile(handle_.get(), buffer, static_cast<DWORD>(capacity), &got, nullptr)) {
            return std::nullopt;
        }
        return got;
    }
    bool seek(uint64_t offset) override {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(handle_.get(), position, nullptr, FILE_BEGIN) != 0;
    }

  private:
    Handle handle_;
};

// Past the cache the drive reads the pieces after the one the caller compares
// (ReadAhead), in overlapped reads, one OVERLAPPED and event for each slot.
class AheadReader : public ReadAhead {
  public:
    explicit AheadReader(HANDLE handle) : handle_(handle) {
        for (auto& event : events_)
            event = std::make_unique<Handle>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    }
    ~AheadReader() override { settle(); }
    bool valid() const {
        return std::all_of(std::begin(events_), std::end(events_),
                           [](const auto& event) { return event->valid(); });
    }

  private:
    Start start(size_t slot, char* buffer, size_t capacity, uint64_t offset) override {
        OVERLAPPED& overlapped = overlapped_[slot];
        overlapped = OVERLAPPED{};
        overlapped.Offset = static_cast<DWORD>(offset);
        overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
        overlapped.hEvent = events_[slot]->get();
        ResetEvent(overlapped.hEvent);
        DWORD got = 0;
        if (ReadFile(handle_.get(), buffer, static_cast<DWORD>(capacity), &got, &overlapped)) {
            return Start::kStarted;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) return Start::kAtEnd;
        return error == ERROR_IO_PENDING ? Start::kStarted : Start::kFailed;
    }
    std::optional<size_t> finish(size_t slot) override {
        DWORD got = 0;
        if (GetOverlappedResult(handle_.get(), &overlapped_[slot], &got, TRUE)) return got;
        if (GetLastError() == ERROR_HANDLE_EOF) return 0;
        return std::nullopt;
    }
    void cancel() override { CancelIo(handle_.get()); }

    Handle handle_;
    std::unique_ptr<Handle> events_[kSlots];
    OVERLAPPED overlapped_[kSlots] = {};
};

class Win32Disk : public RawDisk {
  public:
    explicit Win32Disk(HANDLE handle) : handle_(handle) {}
    std::string read(uint64_t offset, size_t length) override {
        // SetFilePointer answers a position whose low part is 0 (every
        // multiple of 4 GiB) like a failure; the Ex form cannot be misread.
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(handle_.get(), position, nullptr, FILE_BEGIN)) return {};
        std::string buffer(length, '\0');
        DWORD got = 0;
        ReadFile(handle_.get(), buffer.data(), static_cast<DWORD>(length), &got, nullptr);
        buffer.resize(got);
        return buffer;
    }

  private:
    Handle handle_;
};

}  // namespace

bool Win32System::fileExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

std::optional<uint64_t> Win32System::fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool Win32System::setAttributes(const std::string& path, uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool Win32System::deleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

FileRemoval Win32System::removeFile(const std::string& path) {
    if (DeleteFileA(path.c_str())) return FileRemoval::kDeleted;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRemoval::kAbsent
                                                                          : FileRemoval::kFailed;
}

bool Win32System::moveFile(const std::string& from, const std::string& to) {
    // MoveFileA's own rules: a file may go to another volume (by a copy).
    return MoveFileWithProgressA(from.c_str(), to.c_str(), answerWhileCopying, nullptr,
                                 MOVEFILE_COPY_ALLOWED) != 0;
}

ReplaceResult Win32System::replaceFile(const std::string& from, const std::string& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return ReplaceResult::kReplaced;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
               ? ReplaceResult::kTargetInUse
               : ReplaceResult::kFailed;
}

bool Win32System::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    return CopyFileExA(from.c_str(), to.c_str(), answerWhileCopying, nullptr, nullptr,
                       failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0) != 0;
}

FileContent Win32System::readFile(const std::string& path, size_t maxBytes) {
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) return {};
    // Read one chunk past the limit at most: a file that grows while it is
    // read is still caught, and no size ever reaches the allocator.
    std::string content;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return {};
        if (got == 0) break;
        if (content.size() + got > maxBytes) return {FileContent::Status::kTooLarge, {}};
        content.append(chunk, got);
    }
    return {FileContent::Status::kOk, std::move(content)};
}

std::optional<uint32_t> Win32System::fileAttributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

// A path longer than MAX_PATH is answered with the size it needs.
std::optional<std::string> Win32System::fullPathName(const std::string& path) {
    std::string buffer(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0) return std::nullopt;
        if (length < buffer.size()) return buffer.substr(0, length);
        buffer.assign(length, '\0');
    }
    return std::nullopt;
}

// Opened with no access at all: enough for GetFileType, and a device such as
// a serial port is not disturbed by it.
FileKind Win32System::fileKind(const std::string& path) {
    Handle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) return FileKind::kNone;
    return GetFileType(file.get()) == FILE_TYPE_DISK ? FileKind::kDisk : FileKind::kDevice;
}

std::unique_ptr<WritableFile> Win32System::createFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(file);
}

std::unique_ptr<WritableFile> Win32System::createNewFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(file);
}

// The cache manager reads ahead further when told the file is read from start
// to end; the caller's multi-megabyte reads do the rest.
std::unique_ptr<ReadableFile> Win32System::openForReading(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32Reader>(file);
}

// Past the cache the reader keeps the drive busy itself (AheadReader).
std::unique_ptr<PieceReader> Win32System::openPastCache(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_NO_BUFFERING | FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    auto reader = std::make_unique<AheadReader>(file);
    if (!reader->valid()) return nullptr;
    return reader;
}

std::optional<std::vector<std::string>> Win32System::listDirectory(const std::string& folder) {
    // A GBK trail byte may be 0x5C: only a backslash of its own ends the path.
    std::string pattern = folder;
    if (pattern.empty() || lastBackslash(pattern) != pattern.size() - 1) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA data;
    std::vector<std::string> names;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        // The root of an empty volume has no "." entry to find.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return names;
        return std::nullopt;
    }
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &data));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    if (!complete) return std::nullopt;
    return names;
}

DriveType Win32System::driveType(char letter) {
    return static_cast<DriveType>(GetDriveTypeA(rootOf(letter).c_str()));
}

std::optional<std::string> Win32System::volumeLabel(char letter) {
    char label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationA(rootOf(letter).c_str(), label, sizeof label, nullptr, nullptr,
                               nullptr, nullptr, 0)) {
        return std::nullopt;
    }
    return std::string(label);
}

std::optional<uint32_t> Win32System::volumeSerial(char letter) {
    DWORD serial = 0;
    if (!GetVolumeInformationA(rootOf(letter).c_str(), nullptr, 0, &serial, nullptr, nullptr,
                               nullptr, 0)) {
        return std::nullopt;
    }
    return serial;
}

bool Win32System::setVolumeLabel(char letter, const std::string& label) {
    return SetVolumeLabelA(rootOf(letter).c_str(), label.c_str()) != 0;
}

std::optional<DiskFreeSpace> Win32System::diskFreeSpace(char letter) {
    DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
    if (!GetDiskFreeSpaceA(rootOf(letter).c_str(), &sectors, &bytes, &freeClusters, &total)) {
        return std::nullopt;
    }
    return DiskFreeSpace{sectors, bytes, freeClusters, total};
}

PartitionQuery Win32System::partitionInfo(char letter) {
    const std::string volume = std::string("\\\\.\\") + letter + ':';
    Handle handle(CreateFileA(volume.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr));
    if (!handle.valid()) return {PartitionQuery::Status::kOpenFailed, {}};
    PARTITION_INFORMATION info = {};
    DWORD returned = 0;
    if (!DeviceIoControl(handle.get(), IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info,
                         sizeof info, &returned, nullptr)) {
        return {PartitionQuery::Status::kQueryFailed, {}};
    }
    PartitionInfo result;
    result.startingOffset = static_cast<uint64_t>(info.StartingOffset.QuadPart);
    result.partitionNumber = info.PartitionNumber;
    result.bootIndicator = info.BootIndicator != 0;
    return {PartitionQuery::Status::kOk, result};
}

std::optional<uint32_t> Win32System::diskNumber(char letter) {
    const std::string volume = std::string("\\\\.\\") + letter + ':';
    Handle handle(CreateFileA(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    if (!handle.valid()) return std::nullopt;
    STORAGE_DEVICE_NUMBER number = {};
    DWORD returned = 0;
    if (!DeviceIoControl(handle.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                         sizeof number, &returned, nullptr)) {
        return std::nullopt;
    }
    return number.DeviceNumber;
}

namespace {

// "S:\x" where S: is a subst letter for "C:\dir" becomes "C:\dir\x".
std::string withoutSubst(std::string path) {
    for (int depth = 0; depth < 8 && path.size() >= 2 && path[1] == ':'; ++depth) {
        char target[MAX_PATH] = {};
        if (!QueryDosDeviceA(path.substr(0, 2).c_str(), target, sizeof target)) break;
        const std::string device = target;
        // A subst target reads "\??\C:\dir"; a real drive names a device.
        if (device.compare(0, 4, "\\??\\") != 0 || device.size() < 6) break;
        path = device.substr(4) + path.substr(2);
    }
    return path;
}

std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::optional<std::string> Win32System::volumeIdentity(const std::string& path) {
    const std::string resolved = withoutSubst(path);
    std::vector<char> mountPoint(resolved.size() + MAX_PATH);
    if (!GetVolumePathNameA(resolved.c_str(), mountPoint.data(),
                            static_cast<DWORD>(mountPoint.size()))) {
        return std::nullopt;
    }
    char name[MAX_PATH] = {};
    if (GetVolumeNameForVolumeMountPointA(mountPoint.data(), name, sizeof name)) return name;
    // Without a volume name (a network or a simulated drive) the mount point
    // is the best name the system gives.
    return upperAscii(mountPoint.data());
}

std::unique_ptr<RawDisk> Win32System::openPhysicalDrive0() {
    HANDLE disk =
        CreateFileA("\\\\.\\PHYSICALDRIVE0", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (disk == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32Disk>(disk);
}

std::string Win32System::modulePath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

Resource Win32System::resource(int id) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "RC_DATA");
    if (!found) return {Resource::Status::kNotFound, {}};
    const DWORD size = SizeofResource(nullptr, found);
    if (size == 0) return {Resource::Status::kOk, {}};  // nothing to load; the caller abandons
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded) return {Resource::Status::kLoadFailed, {}};
    const void* bytes = LockResource(loaded);
    if (!bytes) return {Resource::Status::kLockFailed, {}};
    return {Resource::Status::kOk, std::string_view(static_cast<const char*>(bytes), size)};
}

namespace {

// A folder as the system gives it, without its final backslash.
std::string folderFromBuffer(const char* buffer, UINT length) {
    std::string folder(buffer, length);
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

}  // namespace

std::string Win32System::systemDirectory() {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? folderFromBuffer(buffer, length) : std::string();
}

std::string Win32System::temporaryDirectory() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    return length > 0 && length < sizeof buffer ? folderFromBuffer(buffer, length) : std::string();
}

bool Win32System::createDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool Win32System::removeDirectory(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != 0;
}

namespace {

bool isFullPath(const std::string& program) {
    return program.size() >= 3 && program[1] == ':' && program[2] == '\\';
}

// The file the child's output (or only its errors) goes to; invalid when
// none is asked for, or when it cannot be made (`failed` then).
HANDLE openOutputFile(const std::string& path, bool* failed) {
    *failed = false;
    if (path.empty()) return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    *failed = file == INVALID_HANDLE_VALUE;
    return file;
}

// Starts the child hidden, with the given inheritable handles as its standard
// output and error (or none); 0 on failure.
ProcessHandle launchHidden(const ProcessLaunch& launch, HANDLE output, HANDLE errors) {
    // Without a full path the system would search the current folder and the
    // program's own folder for the program.
    if (!isFullPath(launch.program)) return 0;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    const bool redirected = output != INVALID_HANDLE_VALUE;
    if (redirected) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = output;
        startup.hStdError = errors;
    }
    PROCESS_INFORMATION process = {};
    std::vector<char> line(launch.commandLine.begin(), launch.commandLine.end());
    line.push_back('\0');
    const char* directory =
        launch.currentDirectory.empty() ? nullptr : launch.currentDirectory.c_str();
    if (!CreateProcessA(launch.program.c_str(), line.data(), nullptr, nullptr,
                        redirected ? TRUE : FALSE,
                        launch.console ? CREATE_NO_WINDOW : DETACHED_PROCESS, nullptr, directory,
                        &startup, &process)) {
        return 0;
    }
    CloseHandle(process.hThread);
    return reinterpret_cast<ProcessHandle>(process.hProcess);
}

// The read end of the pipe the child writes its output to. A look never
// blocks longer than asked, so the window keeps answering while the child
// has nothing to say.
class PipeOutput : public ChildOutput {
  public:
    explicit PipeOutput(HANDLE pipe) : pipe_(pipe) {}
    OutputRead read(char* buffer, size_t capacity, uint32_t milliseconds) override {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, &available, nullptr)) {
            return {GetLastError() == ERROR_BROKEN_PIPE ? OutputRead::Status::kEnded
                                                        : OutputRead::Status::kFailed};
        }
        if (available == 0) {
            Sleep(milliseconds);
            return {OutputRead::Status::kNone};
        }
        DWORD got = 0;
        const DWORD asked = static_cast<DWORD>(std::min<size_t>(capacity, available));
        if (!ReadFile(pipe_.get(), buffer, asked, &got, nullptr)) {
            return {GetLastError() == ERROR_BROKEN_PIPE ? OutputRead::Status::kEnded
                                                        : OutputRead::Status::kFailed};
        }
        return {OutputRead::Status::kBytes, got};
    }

  private:
    Handle pipe_;
};

// Large enough that the child streams on while the program compares.
constexpr DWORD kPipeBytes = 1024 * 1024;

}  // namespace

ProcessHandle Win32System::startProcess(const ProcessLaunch& launch) {
    bool failed = false;
    Handle output(openOutputFile(launch.outputPath, &failed));  // the child has its own copy
    if (failed) return 0;
    return launchHidden(launch, output.get(), output.get());
}

StreamingChild Win32System::startStreaming(const ProcessLaunch& launch) {
    bool failed = false;
    Handle errors(openOutputFile(launch.outputPath, &failed));
    if (failed || !errors.valid()) return {};
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, kPipeBytes)) return {};
    auto output = std::make_unique<PipeOutput>(readEnd);
    Handle childEnd(writeEnd);  // closed here once the child has its copy
    // Only the write end goes to the child; the pipe ends when the child does.
    if (!SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0)) return {};
    const ProcessHandle process = launchHidden(launch, childEnd.get(), errors.get());
    if (process == 0) return {};
    return {process, std::move(output)};
}

std::optional<uint32_t> Win32System::exitCode(ProcessHandle process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code)) return std::nullopt;
    return code;
}

bool Win32System::waitForExit(ProcessHandle process, uint32_t milliseconds) {
    return WaitForSingleObject(reinterpret_cast<HANDLE>(process), milliseconds) == WAIT_OBJECT_0;
}

bool Win32System::terminate(ProcessHandle process, uint32_t exitCode) {
    return TerminateProcess(reinterpret_cast<HANDLE>(process), exitCode) != 0;
}

void Win32System::closeProcess(ProcessHandle process) {
    CloseHandle(reinterpret_cast<HANDLE>(process));
}

ShutdownPrivilege Win32System::enableShutdownPrivilege() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return {ShutdownPrivilege::Status::kVersionFailed};
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return {ShutdownPrivilege::Status::kNotNt};
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return {ShutdownPrivilege::Status::kTokenFailed};
    }
    Handle owned(token);
    TOKEN_PRIVILEGES privileges = {};
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    return {ShutdownPrivilege::Status::kEnabled};
}

bool Win32System::requestRestart() { return ExitWindowsEx(EWX_REBOOT, 0) != 0; }

}  // namespace kh::win32
