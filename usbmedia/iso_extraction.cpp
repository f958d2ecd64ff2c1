#include "usbmedia/iso_extraction.h"

#include "common/report.h"
#include "common/sevenzip.h"
#include "common/tool_files.h"
#include "payloads/catalogue.h"
#include "payloads/message_sets.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"
#include "usbmedia/messages.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

constexpr unsigned kCopyTimerMs = 5000;
constexpr const char* kProgressLogName = "7z-progress.log";
constexpr const char* kInstallerLogName = "syslinux-output.log";

struct ToolPayload {
    int resourceId;
    const char* fileName;
    payloads::PayloadMessages (*messages)();
};

// Also the order in which they are deleted.
const ToolPayload kTools[] = {
    {payloads::kSevenZipExe, sevenzip::kExeName, payloads::usbSevenZipExe},
    {payloads::kSevenZipDll, sevenzip::kDllName, payloads::usbSevenZipDll},
    {payloads::kSyslinuxExe, "syslinux.exe", payloads::usbSyslinuxExe},
};

}  // namespace

bool writeToolPayloads(UsbState& state) {
    const std::string programDir = directoryOf(state.sys.modulePath());
    for (const ToolPayload& tool : kTools) {
        const std::string path = programDir + "\\" + tool.fileName;
        recordToolPath(state.shared, path);
        const auto outcome =
            payloads::writePayload(state.shared, {tool.resourceId, path}, tool.messages());
        if (outcome != payloads::WriteOutcome::kWritten) return false;
    }
    return true;
}

std::string progressLogPath(UsbState& state) {
    return directoryOf(state.sys.modulePath()) + "\\" + kProgressLogName;
}

std::string installerLogPath(UsbState& state) {
    const std::string path = directoryOf(state.sys.modulePath()) + "\\" + kInstallerLogName;
    recordToolPath(state.shared, path);
    return path;
}

void startIsoExtraction(UsbState& state) {
    state.session.stage = UsbStage::kExtracting;
    state.session.creepCounter = 1;
    state.ui.show(ControlId::kStatusCopy, true);
    // 7-Zip sets each file to its full size when it creates it, so the size
    // of the live image cannot show how far the copy is; its own report can.
    const std::string log = progressLogPath(state);
    recordToolPath(state.shared, log);
    state.shared.extractionChild = state.sys.startProcessWithOutput(
        sevenzip::extractAllCommand(state.shared.isoPath, *state.session.target), log);
    if (state.shared.extractionChild == 0) {
        show(state.shared, msg::kProcessFailed);
        endCreation(state);
        return;
    }
    state.ui.setTimer(kCopyTimer, kCopyTimerMs);
}

}  // namespace kh::usb
