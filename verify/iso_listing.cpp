#include "verify/iso_listing.h"

#include <string_view>

#include "common/sevenzip.h"

namespace kh::verify {

namespace {

constexpr std::string_view kBootFolder = "[BOOT]";

bool inBootFolder(const std::string& path) {
    return path.compare(0, kBootFolder.size(), kBootFolder) == 0 &&
           (path.size() == kBootFolder.size() || path[kBootFolder.size()] == '\\');
}

}  // namespace

std::optional<std::vector<StreamMember>> listedFiles(const std::string& listing) {
    const auto items = sevenzip::listedItems(listing);
    if (!items || items->empty()) return std::nullopt;
    std::vector<StreamMember> files;
    for (const sevenzip::ListedItem& item : *items) {
        if (!item.folder && !inBootFolder(item.path)) files.push_back({item.path, item.size});
    }
    return files;
}

}  // namespace kh::verify
