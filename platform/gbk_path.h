// Path helpers that treat GBK double-byte characters as whole characters, so
// that a trail byte 0x5C inside a Chinese name is never taken for a backslash.
#pragma once

#include <string>
#include <string_view>

namespace kh {

inline bool isGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Position of the last path separator ('\\') that is a character of its own,
// or std::string::npos.
inline size_t lastBackslash(const std::string& path) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (isGbkLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\') {
            last = i;
        }
    }
    return last;
}

// The part after the last separator (the whole path when there is none).
inline std::string fileNameOf(const std::string& path) {
    const size_t cut = lastBackslash(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The part before the last separator, without it.
inline std::string directoryOf(const std::string& path) {
    const size_t cut = lastBackslash(path);
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// Whether one of `characters` stands in the path as a character of its own
// (a GBK trail byte such as 0x7C is not a '|').
inline bool holdsCharacterOf(const std::string& path, const char* characters) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (isGbkLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (std::string(characters).find(path[i]) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Names compared as Windows compares them in the Chinese code page: ASCII
// letters in either case, the two bytes of a GBK character exactly (a trail
// byte may look like a letter).
inline bool sameFileName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (isGbkLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The path with every '/' that is a character of its own turned into '\'.
inline std::string withBackslashes(std::string path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (isGbkLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '/') {
            path[i] = '\\';
        }
    }
    return path;
}

}  // namespace kh
