#include "hdinstall/boot_file_check.h"

#include <vector>

#include "common/live_iso.h"
#include "common/sevenzip.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "hdinstall/installed_files.h"
#include "platform/gbk_path.h"
#include "verify/iso_check.h"
#include "verify/iso_extents.h"
#include "verify/iso_listing.h"
#include "verify/stream_check.h"

namespace kh::hd {

namespace {

// In the ISO's boot folder and in the system drive's root alike.
constexpr const char* kExtracted[] = {installed::kKernel, installed::kInitrd};

// The two members in the ISO's order (that of `listing`), named as they lie in
// the root, and 7-Zip's stream of them or where they lie in the ISO; nothing
// when the listing lacks one.
std::optional<verify::StreamSource> extractedMembers(SystemServices& system,
                                                     const std::string& sevenZip,
                                                     const std::string& isoRootPath,
                                                     const std::string& listing) {
    const auto listed = verify::listedFiles(listing);
    if (!listed) return std::nullopt;
    verify::StreamSource source;
    std::vector<verify::StreamMember> inIso;
    std::vector<std::string> names;
    for (const verify::StreamMember& member : *listed) {
        for (const char* name : kExtracted) {
            if (!sameFileName(member.name, live::inBootFolder(name))) continue;
            inIso.push_back(member);
            names.push_back(member.name);
            source.members.push_back({name, member.size});
        }
    }
    if (source.members.size() != std::size(kExtracted)) return std::nullopt;
    source.command = sevenzip::streamFilesCommand(sevenZip, isoRootPath, names);
    source.isoPath = isoRootPath;
    source.extents = verify::isoExtents(system, isoRootPath, inIso);
    return source;
}

ReadBackFailure failure(const Message& message, const std::string& detail) {
    return {message, verify::filledIn(message.text, detail)};
}

}  // namespace

std::optional<ReadBackFailure> bootFilesReadBack(DiskState& state, const std::string& isoRootPath,
                                                 const std::string& listing) {
    const auto program = toolPath(state.shared, sevenzip::kExeName);
    auto source =
        program ? extractedMembers(state.sys, *program, isoRootPath, listing) : std::nullopt;
    const auto errors = source ? newToolFile(state.shared, kReadBackLogName) : std::nullopt;
    if (!errors) return failure(msg::kDiskUnverified, "7-Zip");
    source->errorsPath = *errors;
    source->folder = installed::onDrive(state.systemDrive.letter, "");

    state.ui.show(ControlId::kStatusCopy, true);
    const verify::StreamCheck check = verify::readBackStream(
        state.shared, *source, ControlId::kStatusCopy, msg::kDiskCheckProgress);
    state.ui.show(ControlId::kStatusCopy, false);
    switch (check.status) {
        case verify::StreamCheck::Status::kSame:
            return std::nullopt;
        case verify::StreamCheck::Status::kDiffers:
            return failure(msg::kDiskDiffers, check.file);
        case verify::StreamCheck::Status::kUnverified:
            break;
        case verify::StreamCheck::Status::kStopped:
            return failure(msg::kDiskUnverified, msg::kCheckStopped);
    }
    return failure(msg::kDiskUnverified, "7-Zip");
}

}  // namespace kh::hd
