#include "common/child_process.h"

#include <utility>

#include "common/tool_files.h"
#include "platform/gbk_path.h"

namespace kh {

namespace {

// Waits are made of slices; each returns at the latest when it is over, and
// they are counted rather than timed, so a wait that fails at once still ends.
constexpr uint32_t kSliceMs = 100;
constexpr const char* kCapturedOutputName = "child-output.log";

bool needsQuotes(const std::string& argument) {
    return argument.empty() || argument.find_first_of(" \t\"") != std::string::npos;
}

// True when the child ended within `limitMs`. Once the quit request is met
// the window is no longer served; the child is still waited for, as the
// caller's flow decides what its end means.
bool waitForEnd(SharedState& state, ProcessHandle child, uint32_t limitMs) {
    for (uint32_t waited = 0; waited < limitMs; waited += kSliceMs) {
        const uint32_t slice = limitMs - waited < kSliceMs ? limitMs - waited : kSliceMs;
        switch (state.ui.waitForProcessOrMessages(child, slice)) {
            case UserInterface::Wait::kEnded:
                return true;
            case UserInterface::Wait::kTimedOut:
                break;
            case UserInterface::Wait::kQuit:
                return state.sys.waitForExit(child, limitMs - waited);
        }
    }
    return false;
}

// A child past its limit is stopped; false when it will not go.
bool stop(SharedState& state, ProcessHandle child) {
    state.sys.terminate(child, kStoppedExitCode);
    return state.sys.waitForExit(child, kStopWaitMs);
}

// What the child wrote into `path`, into `result`.
void collectOutput(SharedState& state, const std::string& path, ChildResult& result) {
    FileContent content = state.sys.readFile(path, kMaxTextFileBytes);
    result.outputRead = content.status == FileContent::Status::kOk;
    if (result.outputRead) result.output = std::move(content.bytes);
}

}  // namespace

std::string quoteArgument(const std::string& argument) {
    if (!needsQuotes(argument)) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (size_t i = 0; i < argument.size(); ++i) {
        const char c = argument[i];
        // The child reads its line as Unicode: a GBK character is one, even
        // where its second byte is 0x5C.
        if (isGbkLeadByte(static_cast<unsigned char>(c)) && i + 1 < argument.size()) {
            quoted.append(backslashes, '\\').append(argument, i++, 2);
            backslashes = 0;
            continue;
        }
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote escape it, so they are doubled and the
        // quote itself escaped.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    // ... and so are those before the closing quote.
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

ChildCommand withArguments(const std::string& program, const std::vector<std::string>& arguments) {
    ChildCommand command{program, quoteArgument(program)};
    for (const std::string& argument : arguments)
        command.commandLine += " " + quoteArgument(argument);
    return command;
}

ChildCommand throughCmd(SystemServices& sys, const std::string& commandString) {
    const std::string cmd = sys.systemDirectory() + "\\cmd.exe";
    return {cmd, quoteArgument(cmd) + " /c " + commandString, true};
}

ProcessHandle startChild(SharedState& state, const ChildCommand& command,
                         const std::string& outputPath) {
    // The system folder as the current folder: cmd looks there first for a
    // bare name, and no folder of the user's is ever searched.
    const ProcessLaunch launch{command.program, command.commandLine, state.sys.systemDirectory(),
                               outputPath, command.console};
    return state.sys.startProcess(launch);
}

ChildResult runChild(SharedState& state, const ChildCommand& command, const ChildOptions& options) {
    std::string outputPath = options.outputPath;
    const bool ownOutput = options.captureOutput && outputPath.empty();
    if (ownOutput) {
        const auto path = newToolFile(state, kCapturedOutputName);
        if (!path) return {};
        outputPath = *path;
    }
    const ProcessHandle child = startChild(state, command, outputPath);
    if (child == 0) return {};
    // Tracked while it runs: closing the window stops it, and one that will
    // not stop keeps the tools folder from being removed.
    state.extractionChild = child;

    ChildResult result;
    const bool abandoned = options.meanwhile && !options.meanwhile();
    const bool ended = !abandoned && waitForEnd(state, child, options.limitMs);
    if (abandoned) {
        result.status = ChildResult::Status::kAbandoned;
    } else {
        result.status = ended ? ChildResult::Status::kEnded : ChildResult::Status::kTimedOut;
    }
    if (ended) result.exitCode = state.sys.exitCode(child).value_or(kStoppedExitCode);
    if (ended || stop(state, child)) {
        state.sys.closeProcess(child);
        state.extractionChild = 0;
    }
    if (options.captureOutput && ended) collectOutput(state, outputPath, result);
    if (ownOutput && state.extractionChild == 0) forgetToolPath(state, outputPath);
    return result;
}

}  // namespace kh
