// The test variant's system services: real Windows except that partition
// information and the restart request come from a scenario file, because Wine
// cannot answer IOCTL_DISK_GET_PARTITION_INFO and must never restart the host.
//
// Scenario file (named by the environment variable KH_SCENARIO), one item a line:
//   partition <letter> <boot 0|1> <number> <starting offset>
//   partition <letter> open-fails | query-fails
//   restart-log <windows path>     (a restart request appends "restart" there)
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
    bool requestRestart() override;

  private:
    std::map<char, PartitionQuery> partitions_;
    std::string restartLog_;
};

}  // namespace kh::win32
