#include "usbmedia/iso_extraction.h"

#include <algorithm>

#include "app/gbk_path.h"
#include "payloads/catalogue.h"
#include "payloads/message_sets.h"
#include "platform/winconst.h"
#include "usbmedia/messages.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

constexpr unsigned kCopyTimerMs = 5000;

struct ToolPayload {
    int resourceId;
    const char* fileName;
    payloads::PayloadMessages (*messages)();
};

// Also the order in which they are deleted.
const ToolPayload kTools[] = {
    {payloads::kSevenZipExe, "7z.exe", payloads::usbSevenZipExe},
    {payloads::kSevenZipDll, "7z.dll", payloads::usbSevenZipDll},
    {payloads::kSyslinuxExe, "syslinux.exe", payloads::usbSyslinuxExe},
};

void recordToolPath(AppState& state, const std::string& path) {
    auto& paths = state.toolPaths;
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
}

}  // namespace

bool writeToolPayloads(AppState& state) {
    const std::string programDir = directoryOf(state.sys.modulePath());
    for (const ToolPayload& tool : kTools) {
        const std::string path = programDir + "\\" + tool.fileName;
        recordToolPath(state, path);
        const auto outcome =
            payloads::writePayload(state, {tool.resourceId, path}, tool.messages());
        if (outcome != payloads::WriteOutcome::kWritten) return false;
    }
    return true;
}

std::string extractionCommand(char target, const std::string& isoPath) {
    // -oG:\ stays unquoted: a backslash before a closing quote would escape it.
    return std::string("7z.exe x -y -o") + target + ":\\ " + quoted(isoPath) + " -x![BOOT]";
}

void startIsoExtraction(AppState& state) {
    state.usb.stage = UsbStage::kExtracting;
    state.usb.creepCounter = 1;
    state.ui.show(ControlId::kStatusCopy, true);
    state.extractionChild =
        state.sys.startProcess(extractionCommand(*state.usb.target, state.isoPath));
    if (state.extractionChild == 0) {
        box(state, msg::kProcessFailed, msg::kWarning, win::kMbOk);
        endCreation(state);
        return;
    }
    state.ui.setTimer(kCopyTimer, kCopyTimerMs);
}

}  // namespace kh::usb
