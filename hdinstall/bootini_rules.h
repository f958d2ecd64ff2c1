// The boot.ini rewrites as pure functions over the file's bytes, and the line
// model they share with the GRUB menu rewrite.
//
// Line model: the file is read as a C runtime text stream would read it: a
// line ends at LF, and a CR right before that LF belongs to the line end. Every
// line that had a line end is written back with CR LF; a last line without one
// is written without one. No other byte is touched (lines of any length, GBK
// text and control bytes pass through whole).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kh::hd {

// What marks the live system's boot.ini entry, and how an install is
// recognised at start-up.
inline constexpr const char* kEntryMarker = "KorvaneLinux";

struct TextLine {
    std::string_view text;  // without the line end
    bool ended = false;     // followed by LF (or CR LF) in the file
};

std::vector<TextLine> splitTextLines(std::string_view content);

// Appends `text`, followed by CR LF when `ended`.
void appendTextLine(std::string& out, std::string_view text, bool ended);

// The line the boot menu gets for the live system, without its line end.
std::string bootEntryLine();

// True for a line whose key before the first '=' is "timeout" in any letter
// case, blanks allowed around the key.
bool isTimeoutLine(std::string_view line);

// True for the header of the section NTLDR takes its menu from,
// "[operating systems]" in any letter case, blanks allowed around it.
bool isOperatingSystemsHeader(std::string_view line);

// The content with the boot entry line added at the end of the
// [operating systems] section, wherever that section stands (after its last
// line that is not blank), unless some line already holds the entry marker,
// which `markerFound` then reports; every timeout line becomes "timeout=15".
// A marker in a timeout line does not count, as that line is overwritten.
// Nothing when the entry is to be added and there is no such section: NTLDR
// would never show it.
std::optional<std::string> addEntryToBootIni(std::string_view content, bool* markerFound);

// The content without the lines that hold the entry marker.
std::string removeEntryFromBootIni(std::string_view content);

}  // namespace kh::hd
