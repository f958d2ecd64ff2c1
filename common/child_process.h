// The one way the program runs a child: by the program's full path, with a
// command line quoted in one place, started in the system folder, and waited
// for with the window answering.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/shared_state.h"

namespace kh {

// TerminateProcess only starts the end, and a child holds its files until it
// is gone. A child stopped at its limit is given this long...
inline constexpr uint32_t kStopWaitMs = 5000;
// ... and one stopped by the exit command this long, before the tools go.
inline constexpr uint32_t kExitStopWaitMs = 3000;
// What a stopped child ends with (7-Zip's "stopped by the user"): never a
// success, so that a flow waiting for it cannot take half its work for all.
inline constexpr uint32_t kStoppedExitCode = 255;

// One argument as the C runtime (and CommandLineToArgvW) reads it back:
// quoted when it is empty or holds a blank, tab or quote; inside quotes a
// quote is escaped and the backslashes before a quote or the closing quote
// are doubled. Other backslashes stay as they are.
std::string quoteArgument(const std::string& argument);

// A program and the command line it reads (its own name first).
struct ChildCommand {
    std::string program;
    std::string commandLine;
    // cmd and what it runs (format) want a console; the tools write only to
    // the files and pipes they are given, and a console of their own would
    // cost a process of its own on every start.
    bool console = false;
};

// `program`, a full path, with `arguments` quoted one by one.
ChildCommand withArguments(const std::string& program, const std::vector<std::string>& arguments);

// cmd.exe of the system folder running `commandString`. cmd takes everything
// after "/c" as a line of its own syntax (pipes, its own quoting), not as
// C-runtime arguments, so the string is handed over as it is; it must name
// every program by full path, as cmd searches its current folder first.
ChildCommand throughCmd(SystemServices& sys, const std::string& commandString);

struct ChildOptions {
    ChildOptions(uint32_t limit, bool capture = false) : limitMs(limit), captureOutput(capture) {}
    uint32_t limitMs;
    // Standard output and error go to this file, which can be read while the
    // child runs; empty: nowhere.
    std::string outputPath;
    // Return what the child wrote; without an output path it goes to a file
    // in the tools folder, removed afterwards.
    bool captureOutput = false;
    // Work that does not need the child's result, done once it has started
    // rather than before; false abandons the child, which is stopped.
    std::function<bool()> meanwhile;
};

struct ChildResult {
    enum class Status { kNotStarted, kAbandoned, kTimedOut, kEnded };
    Status status = Status::kNotStarted;
    uint32_t exitCode = 0;
    std::string output;       // when captured
    bool outputRead = false;  // the captured output could be read: nothing said is silence
    bool ended() const { return status == Status::kEnded; }
};

// Starts the child in the system folder, for a caller that watches it itself;
// 0 when it could not start.
ProcessHandle startChild(SharedState& state, const ChildCommand& command,
                         const std::string& outputPath = std::string());

// Runs the child to its end, handling the window's messages while it waits.
// A child still running at the limit is terminated and given a short while to
// go; one that will not stays tracked, as it still holds the tools.
ChildResult runChild(SharedState& state, const ChildCommand& command, const ChildOptions& options);

}  // namespace kh
