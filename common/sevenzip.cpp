#include "common/sevenzip.h"

#include <cctype>
#include <sstream>

namespace kh::sevenzip {

namespace {

// "C:\" needs no quotes: a drive root holds no blanks.
std::string driveRootOption(char letter) { return std::string("-o") + letter + ":\\"; }

}  // namespace

ChildCommand extractFilesCommand(const std::string& program, const std::string& isoPath,
                                 const std::string& folder,
                                 const std::vector<std::string>& patterns) {
    std::vector<std::string> arguments = {"e", "-y", isoPath, "-o" + folder};
    arguments.insert(arguments.end(), patterns.begin(), patterns.end());
    return withArguments(program, arguments);
}

ChildCommand extractAllCommand(const std::string& program, const std::string& isoPath,
                               char letter) {
    return withArguments(program,
                         {"x", "-y", "-bsp1", driveRootOption(letter), isoPath, "-x![BOOT]"});
}

ChildCommand listCommand(const std::string& program, const std::string& isoPath) {
    return withArguments(program, {"l", "-slt", isoPath});
}

std::optional<uint64_t> largestListedSize(const std::string& listing) {
    static const std::string kKey = "Size = ";
    std::optional<uint64_t> largest;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, kKey.size(), kKey) != 0) continue;
        uint64_t size = 0;
        for (size_t i = kKey.size();
             i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i) {
            size = size * 10 + static_cast<uint64_t>(line[i] - '0');
        }
        if (!largest || size > *largest) largest = size;
    }
    return largest;
}

std::optional<uint64_t> listedSize(const std::string& listing, const std::string& prefix) {
    static const std::string kPath = "Path = ";
    auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    std::istringstream lines(listing);
    std::string line;
    bool inItem = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, kPath.size(), kPath) == 0) {
            inItem = lower(line.substr(kPath.size(), prefix.size())) == lower(prefix);
        } else if (inItem && line.compare(0, 7, "Size = ") == 0) {
            return largestListedSize(line);
        }
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
