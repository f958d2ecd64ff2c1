#include "verify/iso_listing.h"

#include "common/sevenzip.h"

namespace kh::verify {

std::optional<std::vector<StreamMember>> listedFiles(const std::string& listing) {
    const auto items = sevenzip::listedItems(listing);
    if (!items || items->empty()) return std::nullopt;
    std::vector<StreamMember> files;
    for (const sevenzip::ListedItem& item : *items) {
        if (!item.folder && !sevenzip::isBootImage(item.path))
            files.push_back({item.path, item.size});
    }
    return files;
}

}  // namespace kh::verify
