#include "usbmedia/iso_extraction.h"

#include "common/child_process.h"
#include "common/report.h"
#include "common/sevenzip.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "payloads/catalogue.h"
#include "payloads/write_out.h"
#include "platform/winconst.h"
#include "usbmedia/boot_files.h"
#include "usbmedia/session.h"

namespace kh::usb {

namespace {

constexpr unsigned kCopyTimerMs = 5000;

struct ToolPayload {
    const payloads::ToolFile& tool;
    const WriteOutMessages& messages;
};

// Also the order in which they are deleted.
const ToolPayload kTools[] = {
    {payloads::kSevenZipExeTool, msg::kUsbSevenZipExe},
    {payloads::kSevenZipDllTool, msg::kUsbSevenZipDll},
    {payloads::kSyslinuxTool, msg::kUsbSyslinuxExe},
};

}  // namespace

bool writeToolPayloads(UsbState& state) {
    for (const ToolPayload& tool : kTools) {
        const auto outcome = payloads::writeTool(state.shared, tool.tool, tool.messages);
        if (outcome != payloads::WriteOutcome::kWritten) return false;
    }
    return true;
}

std::optional<std::string> progressLogPath(UsbState& state) {
    return toolPath(state.shared, kProgressLogName);
}

void startIsoExtraction(UsbState& state) {
    state.session.stage = UsbStage::kExtracting;
    state.session.creepCounter = 1;
    state.ui.show(ControlId::kStatusCopy, true);
    // 7-Zip sets each file to its full size when it creates it, so the size
    // of the live image cannot show how far the copy is; its own report can.
    const auto log = newToolFile(state.shared, kProgressLogName);
    const auto program = toolPath(state.shared, sevenzip::kExeName);
    if (log && program) {
        state.shared.extractionChild = startChild(
            state.shared,
            sevenzip::extractAllCommand(*program, state.session.isoPath, *state.session.target),
            *log);
    }
    if (state.shared.extractionChild == 0) {
        show(state.shared, msg::kProcessFailed);
        endCreation(state);
        return;
    }
    state.ui.setTimer(kCopyTimer, kCopyTimerMs);
    state.ui.watchProcess(state.shared.extractionChild);
    stageBootFiles(state);
}

}  // namespace kh::usb
