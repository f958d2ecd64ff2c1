// System services the portable core needs from the operating system: files,
// volumes, the raw first disk, the program's own resources, child processes,
// the shutdown privilege and restart. Paths and command lines are GBK bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kh {

enum class DriveType : unsigned {
    kUnknown = 0,
    kNoRootDir = 1,
    kRemovable = 2,
    kFixed = 3,
    kRemote = 4,
    kCdRom = 5,
    kRamDisk = 6,
};

// What IOCTL_DISK_GET_PARTITION_INFO tells about a volume.
struct PartitionInfo {
    uint64_t startingOffset = 0;  // bytes from the start of the disk
    uint32_t partitionNumber = 0;
    bool bootIndicator = false;
};

struct PartitionQuery {
    enum class Status { kOk, kOpenFailed, kQueryFailed };
    Status status = Status::kOpenFailed;
    PartitionInfo info;
};

// GetDiskFreeSpaceA's factors; their products can exceed 32 bits.
struct DiskFreeSpace {
    uint32_t sectorsPerCluster = 0;
    uint32_t bytesPerSector = 0;
    uint32_t freeClusters = 0;
    uint32_t totalClusters = 0;
    uint64_t freeBytes() const { return clusterBytes() * freeClusters; }
    uint64_t totalBytes() const { return clusterBytes() * totalClusters; }
    uint64_t clusterBytes() const { return uint64_t{sectorsPerCluster} * bytesPerSector; }
};

// A raw, read-only view of a physical disk.
class RawDisk {
  public:
    virtual ~RawDisk() = default;
    // Reads up to `length` bytes at `offset`; the result may be shorter
    // (empty when nothing could be read).
    virtual std::string read(uint64_t offset, size_t length) = 0;
};

// A file being written. Each step reports its own failure so that callers
// can abandon a copy that did not reach the disk completely.
class WritableFile {
  public:
    virtual ~WritableFile() = default;
    virtual bool write(std::string_view bytes) = 0;  // all bytes or failure
    virtual bool flush() = 0;                        // to the disk, not only the cache
    virtual bool close() = 0;
};

// A file read from its start to its end in large pieces (a whole ISO is
// hashed this way, at the speed of the disk).
class ReadableFile {
  public:
    virtual ~ReadableFile() = default;
    // Reads up to `capacity` bytes into `buffer`: the count read, 0 at the
    // end of the file, nothing on a read error.
    virtual std::optional<size_t> read(char* buffer, size_t capacity) = 0;
    // Moves to `offset` bytes from the start, where the next read begins
    // (files of the ISO are read where they lie); false when it cannot.
    virtual bool seek(uint64_t offset) = 0;
};

// A file read past the system cache, from its start to its end, in pieces
// held by the reader: what was just written is read from the drive and not
// from the memory.
class PieceReader {
  public:
    virtual ~PieceReader() = default;
    // The file's next piece, valid until the next call: empty at the end of
    // the file, nothing on a read error.
    virtual std::optional<std::string_view> next() = 0;
};

// One of the program's own resources of type "RC_DATA".
struct Resource {
    enum class Status { kOk, kNotFound, kLoadFailed, kLockFailed };
    Status status = Status::kNotFound;
    std::string_view bytes;  // valid for the life of the process
};

// The whole content of a text file the program rewrites. No real boot.ini or
// menu.lst comes near the limit; a file beyond it is not one the program made.
inline constexpr size_t kMaxTextFileBytes = 1024 * 1024;

struct FileContent {
    enum class Status { kOk, kUnreadable, kTooLarge };
    Status status = Status::kUnreadable;
    std::string bytes;  // the whole file when kOk
};

// Why a replace failed: kTargetInUse when the old file may not be replaced
// (access denied, sharing violation).
enum class ReplaceResult { kReplaced, kTargetInUse, kFailed };

enum class FileRemoval { kDeleted, kAbsent, kFailed };

// What GetFileType says of a path opened for nothing but a look: a file on a
// disk, a device (con, nul, com1, also as "con.iso"), or nothing that opens.
enum class FileKind { kNone, kDisk, kDevice };

using ProcessHandle = uintptr_t;  // 0 is no process

// How a child is started: the program by its full path, so that no folder is
// searched for it, and the command line it reads (its own name first).
struct ProcessLaunch {
    std::string program;
    std::string commandLine;
    std::string currentDirectory;
    // Standard output and error go to this file (created or truncated), which
    // can be read while the child runs; empty: nowhere.
    std::string outputPath;
    // A hidden console of its own (CREATE_NO_WINDOW); without, none at all
    // (DETACHED_PROCESS).
    bool console = false;
};

// What one look at a child's standard output found.
struct OutputRead {
    enum class Status {
        kBytes,   // `size` bytes were read
        kNone,    // nothing came within the wait; the child still runs
        kEnded,   // the child closed its output: nothing more will come
        kFailed,  // the output could not be read
    };
    Status status = Status::kFailed;
    size_t size = 0;
};

// A child's standard output, read while the child writes it (a pipe).
class ChildOutput {
  public:
    virtual ~ChildOutput() = default;
    // Reads up to `capacity` bytes of what the child wrote, waiting at most
    // `milliseconds` for them.
    virtual OutputRead read(char* buffer, size_t capacity, uint32_t milliseconds) = 0;
};

struct StreamingChild {
    ProcessHandle process = 0;  // 0: not started
    std::unique_ptr<ChildOutput> output;
};

struct ShutdownPrivilege {
    enum class Status { kEnabled, kVersionFailed, kTokenFailed, kNotNt };
    Status status = Status::kVersionFailed;
};

class SystemServices {
  public:
    virtual ~SystemServices() = default;

    // Files.
    virtual bool fileExists(const std::string& path) = 0;  // a file or folder
    virtual std::optional<uint64_t> fileSize(const std::string& path) = 0;
    // GetFileAttributesA; nothing when the path leads nowhere.
    virtual std::optional<uint32_t> fileAttributes(const std::string& path) = 0;
    // GetFullPathNameA: the absolute form of a typed path ('/' read as '\',
    // "." and ".." resolved against the current folder); nothing on failure.
    virtual std::optional<std::string> fullPathName(const std::string& path) = 0;
    virtual FileKind fileKind(const std::string& path) = 0;
    virtual bool setAttributes(const std::string& path, uint32_t attributes) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    // Deletes the file, telling a file that was not there from one that could
    // not be deleted.
    virtual FileRemoval removeFile(const std::string& path) = 0;
    // Renames; fails when `to` exists.
    virtual bool moveFile(const std::string& from, const std::string& to) = 0;
    // Replaces `to` by `from` in one step, written through to the disk.
    virtual ReplaceResult replaceFile(const std::string& from, const std::string& to) = 0;
    virtual bool copyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // Reads the whole file when it holds at most `maxBytes`.
    virtual FileContent readFile(const std::string& path, size_t maxBytes) = 0;
    // Creates or truncates `path` for binary writing; null on failure.
    virtual std::unique_ptr<WritableFile> createFile(const std::string& path) = 0;
    // Creates `path` for binary writing only when no file of that name exists
    // (CREATE_NEW); null otherwise.
    virtual std::unique_ptr<WritableFile> createNewFile(const std::string& path) = 0;
    // Opens `path` for reading from start to end; null on failure.
    virtual std::unique_ptr<ReadableFile> openForReading(const std::string& path) = 0;
    // Opens `path` to be read past the system cache (FILE_FLAG_NO_BUFFERING):
    // every read goes to the drive itself, into buffers the reader aligns to
    // the sector as the drive requires (platform/read_ahead.h). Null on
    // failure.
    virtual std::unique_ptr<PieceReader> openPastCache(const std::string& path) = 0;
    // The names of the files and folders in `folder` (without "." and "..");
    // nothing when it cannot be listed.
    virtual std::optional<std::vector<std::string>> listDirectory(const std::string& folder) = 0;

    // Volumes; `letter` is 'A'..'Z'. A drive without a medium (an empty
    // card-reader slot) answers every query but driveType with a failure
    // (ERROR_NOT_READY), at once as long as SEM_FAILCRITICALERRORS is set;
    // driveType never touches the medium.
    virtual DriveType driveType(char letter) = 0;
    virtual std::optional<std::string> volumeLabel(char letter) = 0;
    virtual bool setVolumeLabel(char letter, const std::string& label) = 0;  // SetVolumeLabelA
    // The serial number the format gave the volume (GetVolumeInformationA).
    virtual std::optional<uint32_t> volumeSerial(char letter) = 0;
    virtual std::optional<DiskFreeSpace> diskFreeSpace(char letter) = 0;
    virtual PartitionQuery partitionInfo(char letter) = 0;
    // The number of the physical disk that holds the volume
    // (IOCTL_STORAGE_GET_DEVICE_NUMBER); nothing when the system cannot tell.
    virtual std::optional<uint32_t> diskNumber(char letter) = 0;
    // A name of the volume that holds `path`, the same for every way of
    // reaching it (drive letter, subst letter, mounted folder) as far as the
    // system can tell; nothing when the path leads to no volume.
    virtual std::optional<std::string> volumeIdentity(const std::string& path) = 0;
    virtual std::unique_ptr<RawDisk> openPhysicalDrive0() = 0;

    // The program itself.
    virtual std::string modulePath() = 0;
    virtual Resource resource(int id) = 0;

    // Folders: the system folder (cmd.exe, format.com) and the temporary
    // folder, both without a final backslash.
    virtual std::string systemDirectory() = 0;
    virtual std::string temporaryDirectory() = 0;
    // Creates a new folder; fails when one of that name exists.
    virtual bool createDirectory(const std::string& path) = 0;
    virtual bool removeDirectory(const std::string& path) = 0;  // an empty one

    // Child processes, always started without a window (CreateProcessA).
    virtual ProcessHandle startProcess(const ProcessLaunch& launch) = 0;
    // As startProcess, with the child's standard output read through the
    // result while it runs; its standard error goes to `launch.outputPath`.
    virtual StreamingChild startStreaming(const ProcessLaunch& launch) = 0;
    virtual std::optional<uint32_t> exitCode(ProcessHandle process) = 0;
    // Waits up to `milliseconds` for the process to end; true when it has ended.
    virtual bool waitForExit(ProcessHandle process, uint32_t milliseconds) = 0;
    virtual bool terminate(ProcessHandle process, uint32_t exitCode) = 0;
    virtual void closeProcess(ProcessHandle process) = 0;

    // Restart.
    virtual ShutdownPrivilege enableShutdownPrivilege() = 0;
    virtual bool requestRestart() = 0;  // ExitWindowsEx(EWX_REBOOT)
};

}  // namespace kh
