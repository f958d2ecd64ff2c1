// Writes the boot menu's 16x16 GB2312 font table from a unifont .hex file.
//
// Layout: no header; the glyph of the GB2312 bytes (b1, b2), both in 0xA1..0xFE, starts at
// ((b1 - 0xA1) * 94 + (b2 - 0xA1)) * 32. A glyph is 16 rows of 2 bytes, the most significant bit
// being the leftmost pixel. The table holds kGlyphCount glyphs; positions that are not GB2312
// characters stay blank, and so does the full-width space A1A1.
//
// Usage: mkfont UNIFONT.HEX OUTPUT

#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kFirstByte = 0xA1;
constexpr int kCellsPerRow = 94;
constexpr int kGlyphBytes = 32;
constexpr int kGlyphCount = 8363;  // 267,616 bytes

using Glyph = std::array<uint8_t, kGlyphBytes>;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* out) {
    if (text.size() % 2 != 0) return false;
    out->clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int hi = HexValue(text[i]);
        int lo = HexValue(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return true;
}

// Converts a unifont bitmap (16 rows of 1 or 2 bytes) to a 16x16 cell. Half-width glyphs are
// centred so that Latin letters with tone marks sit in the middle of a full-width cell.
bool ToCell(const std::vector<uint8_t>& bits, Glyph* cell) {
    cell->fill(0);
    if (bits.size() == 32) {
        std::copy(bits.begin(), bits.end(), cell->begin());
        return true;
    }
    if (bits.size() == 16) {
        for (int row = 0; row < 16; ++row) {
            unsigned wide = static_cast<unsigned>(bits[row]) << 4;  // 8 px shifted into 16 px
            (*cell)[row * 2] = static_cast<uint8_t>(wide >> 8);
            (*cell)[row * 2 + 1] = static_cast<uint8_t>(wide & 0xFF);
        }
        return true;
    }
    return false;
}

bool LoadUnifont(const char* path, std::unordered_map<uint32_t, Glyph>* glyphs) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    std::vector<uint8_t> bits;
    while (std::getline(in, line)) {
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        uint32_t code = static_cast<uint32_t>(std::stoul(line.substr(0, colon), nullptr, 16));
        if (code > 0xFFFF) continue;
        Glyph cell;
        if (ParseHexBytes(line.substr(colon + 1), &bits) && ToCell(bits, &cell)) {
            (*glyphs)[code] = cell;
        }
    }
    return true;
}

// Returns the Unicode code point of a two-byte GB2312 character, or 0 if it is not one.
uint32_t Gb2312ToUnicode(iconv_t cd, int b1, int b2) {
    char in[2] = {static_cast<char>(b1), static_cast<char>(b2)};
    uint32_t out[2] = {0, 0};
    char* inp = in;
    size_t inleft = sizeof in;
    char* outp = reinterpret_cast<char*>(out);
    size_t outleft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inleft, &outp, &outleft) == static_cast<size_t>(-1) || inleft != 0 ||
        sizeof out - outleft != 4) {
        return 0;
    }
    return out[0];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mkfont UNIFONT.HEX OUTPUT\n";
        return 2;
    }
    std::unordered_map<uint32_t, Glyph> unifont;
    if (!LoadUnifont(argv[1], &unifont) || unifont.empty()) {
        std::cerr << "mkfont: cannot read glyphs from " << argv[1] << "\n";
        return 1;
    }
    iconv_t cd = iconv_open("UCS-4LE", "GB2312");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::perror("mkfont: iconv_open GB2312");
        return 1;
    }

    std::vector<uint8_t> table(static_cast<size_t>(kGlyphCount) * kGlyphBytes, 0);
    int mapped = 0;
    int missing = 0;
    for (int index = 1; index < kGlyphCount; ++index) {  // index 0, the full-width space, is blank
        int b1 = kFirstByte + index / kCellsPerRow;
        int b2 = kFirstByte + index % kCellsPerRow;
        uint32_t code = Gb2312ToUnicode(cd, b1, b2);
        if (code == 0) continue;
        auto it = unifont.find(code);
        if (it == unifont.end()) {
            ++missing;
            continue;
        }
        std::copy(it->second.begin(), it->second.end(), table.begin() + index * kGlyphBytes);
        ++mapped;
    }
    iconv_close(cd);

    if (mapped == 0) {
        std::cerr << "mkfont: no GB2312 character found in " << argv[1] << "\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(table.data()),
              static_cast<std::streamsize>(table.size()));
    out.close();
    if (!out) {
        std::cerr << "mkfont: cannot write " << argv[2] << "\n";
        return 1;
    }
    if (missing != 0) std::cerr << "mkfont: " << missing << " characters have no glyph\n";
    return 0;
}
