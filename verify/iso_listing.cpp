#include "verify/iso_listing.h"

#include <cstdint>
#include <string_view>

namespace kh::verify {

namespace {

constexpr std::string_view kItemsStart = "----------";
constexpr std::string_view kBootFolder = "[BOOT]";

struct Item {
    std::string path;
    std::optional<std::string> size;
    bool folder = false;
};

std::optional<uint64_t> parseSize(const std::string& text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

bool inBootFolder(const std::string& path) {
    return path.compare(0, kBootFolder.size(), kBootFolder) == 0 &&
           (path.size() == kBootFolder.size() || path[kBootFolder.size()] == '\\');
}

// The items after the "----------" line, one block of "Key = value" lines each.
std::vector<Item> itemsOf(const std::string& listing) {
    std::vector<Item> items;
    bool started = false;
    size_t at = 0;
    while (at < listing.size()) {
        size_t end = listing.find('\n', at);
        if (end == std::string::npos) end = listing.size();
        std::string line = listing.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!started) {
            started = line == kItemsStart;
            continue;
        }
        const size_t equals = line.find(" = ");
        const std::string key = line.substr(0, equals == std::string::npos ? 0 : equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 3);
        if (key == "Path") {
            items.push_back({value, std::nullopt, false});
        } else if (!items.empty() && key == "Size") {
            items.back().size = value;
        } else if (!items.empty() && key == "Folder") {
            items.back().folder = value == "+";
        }
    }
    return items;
}

}  // namespace

std::optional<std::vector<StreamMember>> listedFiles(const std::string& listing) {
    const std::vector<Item> items = itemsOf(listing);
    if (items.empty()) return std::nullopt;
    std::vector<StreamMember> files;
    for (const Item& item : items) {
        if (item.folder || inBootFolder(item.path)) continue;
        const auto size = item.size ? parseSize(*item.size) : std::nullopt;
        if (!size) return std::nullopt;
        files.push_back({item.path, *size});
    }
    return files;
}

}  // namespace kh::verify
