#include "common/sevenzip.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "platform/gbk_path.h"

namespace kh::sevenzip {

namespace {

// "C:\" needs no quotes: a drive root holds no blanks.
std::string driveRootOption(char letter) { return std::string("-o") + letter + ":\\"; }

constexpr std::string_view kBootImagesFolder = "[BOOT]";

// Leaves the boot images out of an extraction or a stream.
std::string withoutBootImagesOption() { return "-x!" + std::string(kBootImagesFolder); }

// The technical listing: the image's own block, this line, then one block per
// item.
constexpr std::string_view kItemsBegin = "----------";
constexpr std::string_view kPathKey = "Path = ";
constexpr std::string_view kSizeKey = "Size = ";
constexpr std::string_view kFolderKey = "Folder = ";

bool startsWith(const std::string& line, std::string_view prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

// The digits at the start of `text` (an empty size reads 0).
uint64_t leadingNumber(const std::string& text) {
    uint64_t number = 0;
    for (size_t i = 0; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        number = number * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    return number;
}

}  // namespace

ChildCommand extractFilesCommand(const std::string& program, const std::string& isoPath,
                                 const std::string& folder,
                                 const std::vector<std::string>& patterns) {
    std::vector<std::string> arguments = {"e", "-y", "-bso0", "-bsp0", isoPath, "-o" + folder};
    arguments.insert(arguments.end(), patterns.begin(), patterns.end());
    return withArguments(program, arguments);
}

ChildCommand extractAllCommand(const std::string& program, const std::string& isoPath,
                               char letter) {
    return withArguments(
        program, {"x", "-y", "-bsp1", driveRootOption(letter), isoPath, withoutBootImagesOption()});
}

ChildCommand streamAllCommand(const std::string& program, const std::string& isoPath) {
    return withArguments(program, {"x", "-so", "-bsp0", isoPath, withoutBootImagesOption()});
}

ChildCommand streamFilesCommand(const std::string& program, const std::string& isoPath,
                                const std::vector<std::string>& names) {
    std::vector<std::string> arguments = {"x", "-so", "-bsp0", isoPath};
    arguments.insert(arguments.end(), names.begin(), names.end());
    return withArguments(program, arguments);
}

ChildCommand listCommand(const std::string& program, const std::string& isoPath) {
    // Names in the ANSI code page, as the program opens files by them (the
    // console's OEM page differs outside the Chinese one).
    return withArguments(program, {"l", "-slt", "-sccWIN", isoPath});
}

std::optional<std::vector<ListedItem>> listedItems(const std::string& listing) {
    std::istringstream lines(listing);
    std::string line;
    bool inItems = false;
    std::vector<ListedItem> items;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!inItems) {
            inItems = line == kItemsBegin;
            continue;
        }
        if (startsWith(line, kPathKey)) {
            items.push_back({line.substr(kPathKey.size())});
        } else if (items.empty()) {
            continue;
        } else if (startsWith(line, kSizeKey)) {
            items.back().size = leadingNumber(line.substr(kSizeKey.size()));
        } else if (startsWith(line, kFolderKey)) {
            items.back().folder = line.substr(kFolderKey.size()) == "+";
        }
    }
    if (!inItems) return std::nullopt;
    return items;
}

bool isBootImage(std::string_view path) {
    return path.substr(0, kBootImagesFolder.size()) == kBootImagesFolder &&
           (path.size() == kBootImagesFolder.size() || path[kBootImagesFolder.size()] == '\\');
}

bool holdsFile(const std::vector<ListedItem>& items, std::string_view path) {
    return std::any_of(items.begin(), items.end(), [path](const ListedItem& item) {
        return !item.folder && sameFileName(item.path, path);
    });
}

std::optional<uint64_t> listedSize(const std::string& listing, const std::string& prefix) {
    const auto items = listedItems(listing);
    if (!items) return std::nullopt;
    for (const ListedItem& item : *items) {
        if (!item.folder &&
            sameFileName(std::string_view(item.path).substr(0, prefix.size()), prefix))
            return item.size;
    }
    return std::nullopt;
}

std::optional<uint64_t> lastReportedPercent(std::string_view report) {
    // Each update is a line of its own, ended by CR: " 37% 12 - LiveOS\squashfs.img".
    std::optional<uint64_t> last;
    size_t begin = 0;
    while (begin < report.size()) {
        size_t end = report.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) end = report.size();
        std::string_view line = report.substr(begin, end - begin);
        const size_t digits = line.find_first_not_of(' ');
        const size_t sign = line.find('%');
        if (digits != std::string_view::npos && sign != std::string_view::npos && sign > digits &&
            sign - digits <= 3 &&
            line.substr(digits, sign - digits).find_first_not_of("0123456789") ==
                std::string_view::npos) {
            last = std::stoull(std::string(line.substr(digits, sign - digits)));
        }
        begin = end + 1;
    }
    return last;
}

}  // namespace kh::sevenzip
