// The system services on real Windows (ANSI calls, code page 936).
#pragma once

#include "platform/system.h"

namespace kh::win32 {

class Win32System : public SystemServices {
  public:
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
    std::string systemDirectory() override;
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
};

}  // namespace kh::win32
