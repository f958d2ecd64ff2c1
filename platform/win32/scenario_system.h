// The test variant's system services: real Windows except that partition
// information, the disk of a volume and the restart request come from a
// scenario file, because Wine cannot answer IOCTL_DISK_GET_PARTITION_INFO or
// IOCTL_STORAGE_GET_DEVICE_NUMBER for its drives and must never restart the host.
//
// Scenario file (named by the environment variable KH_SCENARIO), one item a line:
//   partition <letter> <boot 0|1> <number> <starting offset>
//   restart-log <windows path>     (a restart request appends "restart" there)
// The disk of a volume is always unknown; a volume not listed cannot be opened.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/win32/win32_system.h"

namespace kh::win32 {

class ScenarioSystem : public Win32System {
  public:
    // Reads the scenario named by KH_SCENARIO; without one it behaves like
    // the product.
    static std::unique_ptr<SystemServices> fromEnvironment();

    explicit ScenarioSystem(const std::string& scenarioText);
    PartitionQuery partitionInfo(char letter) override;
    std::optional<uint32_t> diskNumber(char letter) override;
    bool requestRestart() override;

  private:
    std::map<char, PartitionQuery> partitions_;
    std::string restartLog_;
};

}  // namespace kh::win32
