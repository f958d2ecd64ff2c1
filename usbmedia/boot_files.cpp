#include "usbmedia/boot_files.h"

#include <iterator>
#include <string>

#include "common/syslinux.h"
#include "common/texts.h"
#include "payloads/catalogue.h"
#include "platform/winconst.h"

namespace kh::usb {

namespace {

// The ISO's own modules may come from another SYSLINUX build, which the
// installed ldlinux.c32 refuses ("not a COM32R image").
const BootFile kModules[] = {
    {payloads::kVesamenuC32, "vesamenu.c32"},
    {payloads::kLibcom32C32, "libcom32.c32"},
    {payloads::kLibutilC32, "libutil.c32"},
};

std::string staged(const UsbState& state, const BootFile& file) {
    return state.session.stagingFolder + "\\" + file.name;
}

std::string inSyslinuxFolder(const UsbState& state, const BootFile& file) {
    return onTarget(state, syslinux::inFolder(file.name));
}

// Every box of a boot file's write-out names the file.
payloads::WriteOutcome writeBootFile(UsbState& state, const BootFile& file) {
    const payloads::PayloadTarget target{file.resourceId, inSyslinuxFolder(state, file), true};
    return payloads::writePayload(state.shared, target, msg::kResourceFile);
}

// The staged file replaces whatever the extraction put there, read-only or
// not; false when it could not, and the file is then written instead.
bool moveIntoPlace(UsbState& state, const BootFile& file) {
    if (state.session.stagingFolder.empty()) return false;
    const std::string target = inSyslinuxFolder(state, file);
    if (state.sys.fileExists(target)) state.sys.setAttributes(target, win::kAttrNormal);
    return state.sys.replaceFile(staged(state, file), target) == ReplaceResult::kReplaced;
}

}  // namespace

std::vector<BootFile> bootFilesWritten() {
    std::vector<BootFile> files = {{payloads::kSyslinuxCfg, syslinux::kConfigName}};
    files.insert(files.end(), std::begin(kModules), std::end(kModules));
    return files;
}

void stageBootFiles(UsbState& state) {
    const std::string folder = onTarget(state, kStagingFolder);
    // One an earlier run left behind is not trusted.
    if (!state.sys.createDirectory(folder)) return;
    state.session.stagingFolder = folder;
    for (const BootFile& file : bootFilesWritten()) {
        if (!payloads::writePayloadQuietly(state.sys, file.resourceId, staged(state, file))) {
            discardStagedBootFiles(state);
            return;
        }
    }
}

payloads::WriteOutcome placeBootFiles(UsbState& state) {
    using payloads::WriteOutcome;
    WriteOutcome outcome = WriteOutcome::kWritten;
    for (const BootFile& file : bootFilesWritten()) {
        if (!moveIntoPlace(state, file)) outcome = writeBootFile(state, file);
        if (outcome != WriteOutcome::kWritten) break;
    }
    discardStagedBootFiles(state);
    return outcome;
}

void discardStagedBootFiles(UsbState& state) {
    if (state.session.stagingFolder.empty()) return;
    for (const BootFile& file : bootFilesWritten()) state.sys.removeFile(staged(state, file));
    state.sys.removeDirectory(state.session.stagingFolder);
    state.session.stagingFolder.clear();
}

}  // namespace kh::usb
