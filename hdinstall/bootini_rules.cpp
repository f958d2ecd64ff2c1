#include "hdinstall/bootini_rules.h"

#include <algorithm>
#include <cctype>

namespace kh::hd {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kTimeoutLine = "timeout=15";
constexpr std::string_view kBlanks = " \t";

bool holdsMarker(std::string_view text) { return text.find(kEntryMarker) != std::string::npos; }

std::string_view trimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowerCase) {
    if (text.size() != lowerCase.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != lowerCase[i]) return false;
    }
    return true;
}

}  // namespace

std::vector<TextLine> splitTextLines(std::string_view content) {
    std::vector<TextLine> lines;
    size_t start = 0;
    while (start < content.size()) {
        const size_t lf = content.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.push_back({content.substr(start), false});
            break;
        }
        size_t end = lf;
        if (end > start && content[end - 1] == '\r') --end;
        lines.push_back({content.substr(start, end - start), true});
        start = lf + 1;
    }
    return lines;
}

void appendTextLine(std::string& out, std::string_view text, bool ended) {
    out += text;
    if (ended) out += kCrLf;
}

std::string bootEntryLine() { return std::string("c:\\grldr=\"") + kEntryMarker + "\""; }

bool isTimeoutLine(std::string_view line) {
    const size_t equals = line.find('=');
    return equals != std::string_view::npos &&
           equalsIgnoringCase(trimBlanks(line.substr(0, equals)), "timeout");
}

bool isOperatingSystemsHeader(std::string_view line) {
    return equalsIgnoringCase(trimBlanks(line), "[operating systems]");
}

namespace {

bool isSectionHeader(std::string_view line) {
    const std::string_view text = trimBlanks(line);
    return !text.empty() && text.front() == '[';
}

// The index of the line after which the entry goes: the last line of the
// section that is not blank, or its header; nothing without the section.
std::optional<size_t> entryPosition(const std::vector<TextLine>& lines) {
    const auto header = std::find_if(lines.begin(), lines.end(), [](const TextLine& line) {
        return isOperatingSystemsHeader(line.text);
    });
    if (header == lines.end()) return std::nullopt;
    size_t last = static_cast<size_t>(header - lines.begin());
    for (size_t i = last + 1; i < lines.size() && !isSectionHeader(lines[i].text); ++i) {
        if (!trimBlanks(lines[i].text).empty()) last = i;
    }
    return last;
}

}  // namespace

std::optional<std::string> addEntryToBootIni(std::string_view content, bool* markerFound) {
    const std::vector<TextLine> lines = splitTextLines(content);
    // A marker in a timeout line is overwritten below, so it does not count:
    // the result always holds the entry.
    const bool found = std::any_of(lines.begin(), lines.end(), [](const TextLine& line) {
        return holdsMarker(line.text) && !isTimeoutLine(line.text);
    });
    const std::optional<size_t> position = entryPosition(lines);
    if (!found && !position) return std::nullopt;
    if (markerFound) *markerFound = found;

    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        const TextLine& line = lines[i];
        const bool entryFollows = !found && i == *position;
        // The entry goes on a line of its own, even after a last line that
        // had no line end.
        appendTextLine(out, isTimeoutLine(line.text) ? kTimeoutLine : line.text,
                       line.ended || entryFollows);
        if (entryFollows) appendTextLine(out, bootEntryLine(), true);
    }
    return out;
}

std::string removeEntryFromBootIni(std::string_view content) {
    std::string out;
    for (const TextLine& line : splitTextLines(content)) {
        if (!holdsMarker(line.text)) appendTextLine(out, line.text, line.ended);
    }
    return out;
}

}  // namespace kh::hd
