#include "usbmedia/stick_check.h"

#include <string>
#include <vector>

#include "common/live_iso.h"
#include "common/report.h"
#include "common/sevenzip.h"
#include "common/syslinux.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "payloads/catalogue.h"
#include "platform/gbk_path.h"
#include "usbmedia/boot_files.h"
#include "verify/iso_check.h"
#include "verify/iso_extents.h"
#include "verify/iso_listing.h"
#include "verify/stream_check.h"

namespace kh::usb {

namespace {

using verify::StreamMember;

// "isolinux\": what the finish renamed to the syslinux folder.
const std::string kIsoFolder = live::inBootFolder("");

bool startsWith(const std::string& name, const std::string& prefix) {
    return name.size() >= prefix.size() && sameFileName(name.substr(0, prefix.size()), prefix);
}

// Where the member lies on the stick after the finish, and what else holds its
// bytes; a member whose file the program or the installer replaced is passed.
StreamMember onStick(StreamMember member) {
    if (startsWith(member.name, kIsoFolder)) {
        member.name = syslinux::inFolder(member.name.substr(kIsoFolder.size()));
    }
    const std::string file = fileNameOf(member.name);
    for (const BootFile& written : bootFilesWritten()) {
        if (sameFileName(member.name, syslinux::inFolder(written.name))) member.compared = false;
    }
    for (const char* name : syslinux::kInstallerFiles) {
        if (sameFileName(file, name)) member.compared = false;
    }
    for (const char* name : live::kRootCopies) {
        if (sameFileName(member.name, syslinux::inFolder(name))) member.copies = {name};
    }
    return member;
}

bool failWith(UsbState& state, const Message& message, const std::string& detail) {
    show(state.shared, message, verify::filledIn(message.text, detail));
    return false;
}

// The files the program wrote, against the payloads they came from.
bool writtenFilesReadBack(UsbState& state) {
    for (const BootFile& written : bootFilesWritten()) {
        const std::string name = syslinux::inFolder(written.name);
        const Resource payload = state.sys.resource(written.resourceId);
        const verify::ReadBack back =
            verify::readBackFile(state.sys, onTarget(state, name), payload.bytes, name);
        if (back.status != verify::ReadBack::Status::kSame) {
            return failWith(state, msg::kStickDiffers, name);
        }
    }
    return true;
}

}  // namespace

bool stickReadsBack(UsbState& state) {
    const auto listed = verify::listedFiles(state.session.listing);
    const auto program = toolPath(state.shared, sevenzip::kExeName);
    const auto errors = newToolFile(state.shared, kReadBackLogName);
    if (!listed || !program || !errors) return failWith(state, msg::kStickUnverified, "7-Zip");
    verify::StreamSource source{
        sevenzip::streamAllCommand(*program, state.session.isoPath), *errors, onTarget(state), {}};
    for (const StreamMember& member : *listed) source.members.push_back(onStick(member));
    source.isoPath = state.session.isoPath;
    source.extents = verify::isoExtents(state.sys, source.isoPath, *listed);

    const verify::StreamCheck check = verify::readBackStream(
        state.shared, source, ControlId::kStatusCopy, msg::kStickCheckProgress);
    switch (check.status) {
        case verify::StreamCheck::Status::kSame:
            return writtenFilesReadBack(state);
        case verify::StreamCheck::Status::kDiffers:
            return failWith(state, msg::kStickDiffers, check.file);
        case verify::StreamCheck::Status::kUnverified:
            return failWith(state, msg::kStickUnverified, "7-Zip");
        case verify::StreamCheck::Status::kStopped:
            return failWith(state, msg::kStickUnverified, msg::kCheckStopped);
    }
    return false;
}

}  // namespace kh::usb
