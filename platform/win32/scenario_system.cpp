#include "platform/win32/scenario_system.h"

#include <windows.h>

#include <cctype>
#include <sstream>

namespace kh::win32 {

namespace {

std::string environmentAnsi(const wchar_t* name) {
    // The ANSI form truncates non-ASCII values under code page 936.
    wchar_t value[MAX_PATH * 4];
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4) return {};
    const int bytes = WideCharToMultiByte(CP_ACP, 0, value, length, nullptr, 0, nullptr, nullptr);
    std::string result(bytes, '\0');
    WideCharToMultiByte(CP_ACP, 0, value, length, result.data(), bytes, nullptr, nullptr);
    return result;
}

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

}  // namespace

std::unique_ptr<SystemServices> ScenarioSystem::fromEnvironment() {
    const std::string path = environmentAnsi(L"KH_SCENARIO");
    Win32System reader;
    const FileContent text =
        path.empty() ? FileContent{} : reader.readFile(path, kMaxTextFileBytes);
    return std::make_unique<ScenarioSystem>(text.bytes);
}

ScenarioSystem::ScenarioSystem(const std::string& scenarioText) {
    std::istringstream lines(scenarioText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string keyword, letter;
        words >> keyword;
        PartitionQuery query{PartitionQuery::Status::kOk, {}};
        int boot = 0;
        if (keyword == "partition" &&
            words >> letter >> boot >> query.info.partitionNumber >> query.info.startingOffset) {
            query.info.bootIndicator = boot == 1;
            partitions_[upper(letter[0])] = query;
        } else if (keyword == "restart-log") {
            std::getline(words >> std::ws, restartLog_);
            while (!restartLog_.empty() && (restartLog_.back() == '\r')) restartLog_.pop_back();
        }
    }
}

PartitionQuery ScenarioSystem::partitionInfo(char letter) {
    const auto it = partitions_.find(upper(letter));
    if (it == partitions_.end()) return {PartitionQuery::Status::kOpenFailed, {}};
    return it->second;
}

std::optional<uint32_t> ScenarioSystem::diskNumber(char) { return std::nullopt; }

bool ScenarioSystem::requestRestart() {
    if (restartLog_.empty()) return false;
    HANDLE log = CreateFileA(restartLog_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(log, "restart\r\n", 9, &written, nullptr);
    CloseHandle(log);
    return true;
}

}  // namespace kh::win32
