// What the hard-disk install and the USB media creation share: the two
// platform seams, the tools folder of this run and the child that may still
// hold it, and whether a failure has been shown to the user.
#pragma once

#include <string>
#include <vector>

#include "platform/system.h"
#include "platform/ui.h"

namespace kh {

struct SharedState {
    SharedState(SystemServices& system, UserInterface& window) : sys(system), ui(window) {}

    SystemServices& sys;
    UserInterface& ui;

    std::string toolsFolder;             // made for this run; empty: none yet
    std::vector<std::string> toolPaths;  // files in it, in the order written
    ProcessHandle extractionChild = 0;   // the tracked child that uses the tools
    bool failureShown = false;           // see show() in common/report.h
    // Exit or the close box while a long step ran inside a handler: the step
    // stops at its next look, changing nothing more.
    bool stopRequested = false;
};

}  // namespace kh
