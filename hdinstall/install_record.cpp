#include "hdinstall/install_record.h"

#include <sstream>

#include "hdinstall/bootini_rules.h"

namespace kh::hd {

namespace {

constexpr std::string_view kOurs = "ours";
constexpr std::string_view kKept = "kept";

}  // namespace

std::string formatRecord(const InstallRecord& record) {
    std::string text;
    for (const std::string& name : record.ours) {
        appendTextLine(text, std::string(kOurs) + " " + name, true);
    }
    for (const KeptFile& file : record.kept) {
        appendTextLine(text, std::string(kKept) + " " + file.name + " " + file.aside, true);
    }
    return text;
}

std::optional<InstallRecord> parseRecord(std::string_view text) {
    InstallRecord record;
    for (const TextLine& line : splitTextLines(text)) {
        std::istringstream words{std::string(line.text)};
        std::string kind, name, aside, extra;
        words >> kind >> name >> aside >> extra;
        if (kind == kOurs && !name.empty() && aside.empty()) {
            record.ours.push_back(name);
        } else if (kind == kKept && !aside.empty() && extra.empty()) {
            record.kept.push_back({name, aside});
        } else if (!kind.empty()) {
            return std::nullopt;
        }
    }
    return record;
}

}  // namespace kh::hd
