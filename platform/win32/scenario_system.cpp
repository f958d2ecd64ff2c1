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
        std::string keyword;
        words >> keyword;
        if (keyword == "partition") {
            std::string letter, first;
            words >> letter >> first;
            if (letter.empty()) continue;
            const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));
            PartitionQuery query;
            if (first == "open-fails") {
                query.status = PartitionQuery::Status::kOpenFailed;
            } else if (first == "query-fails") {
                query.status = PartitionQuery::Status::kQueryFailed;
            } else {
                query.status = PartitionQuery::Status::kOk;
                query.info.bootIndicator = first == "1";
                words >> query.info.partitionNumber >> query.info.startingOffset;
            }
            partitions_[key] = query;
        } else if (keyword == "disk") {
            std::string letter;
            uint32_t number = 0;
            if (words >> letter >> number) {
                disks_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])))] =
                    number;
            }
        } else if (keyword == "restart-log") {
            std::getline(words >> std::ws, restartLog_);
            while (!restartLog_.empty() && (restartLog_.back() == '\r')) restartLog_.pop_back();
        }
    }
}

PartitionQuery ScenarioSystem::partitionInfo(char letter) {
    const auto it =
        partitions_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    if (it == partitions_.end()) return {PartitionQuery::Status::kOpenFailed, {}};
    return it->second;
}

std::optional<uint32_t> ScenarioSystem::diskNumber(char letter) {
    const auto it =
        disks_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    if (it == disks_.end()) return std::nullopt;
    return it->second;
}

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
