// Checks the payload files the Windows executable embeds, as the programs that read them would:
// exact text bytes, the font table's layout, the splash image's XPM subset and the icon directory.
// KH_PAYLOAD_DIR is the directory the native build writes them to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/sim_env.h"

namespace {

std::vector<std::string> Lines(const std::string& text, const std::string& eol) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(eol, start)) != std::string::npos; start = end + eol.size()) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text does not end with a line break";
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What the install and the stick rely on. The menu: GBK with CR LF only, the font and the picture
// the install writes to the root, and an entry back to Windows that the live system's entry goes in
// front of. The configuration: ASCII with LF, the menu module the USB procedure writes, and every
// entry booting the live system from the volume labelled BOOT.
TEST(TextPayloads, HoldWhatTheirReadersNeed) {
    const std::string menu = kh::test::fileBytes(KH_PAYLOAD_DIR "/menu.lst");
    const std::vector<std::string> menuLines = Lines(menu, "\r\n");
    for (const std::string& line : menuLines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    for (const char* line : {"fontfile /fonts", "splashimage /greengem.xpm",
                             "title \xB7\xB5\xBB\xD8" /* 返回 */, "chainloader /ntldr"}) {
        EXPECT_TRUE(HasLine(menuLines, line)) << line;
    }

    const std::string cfg = kh::test::fileBytes(KH_PAYLOAD_DIR "/syslinux.cfg");
    for (unsigned char c : cfg) ASSERT_TRUE(c >= '\n' && c != '\r' && c < 0x80) << int{c};
    const std::vector<std::string> cfgLines = Lines(cfg, "\n");
    EXPECT_TRUE(HasLine(cfgLines, "default vesamenu.c32"));
    int appends = 0;
    for (const std::string& line : cfgLines) {
        if (line.find("append ") == std::string::npos) continue;
        ++appends;
        EXPECT_EQ(line.rfind("  append initrd=initrd0.img root=LABEL=BOOT ro liveimg", 0), 0u);
    }
    EXPECT_EQ(appends, 3);
}

// The 16x16 GB2312 table: 94 x 94 glyphs from row A1, 32 bytes each, bit 15 the leftmost pixel.
TEST(FontTable, GlyphsSitAtTheirGb2312Offsets) {
    const std::string font = kh::test::fileBytes(KH_PAYLOAD_DIR "/fonts");
    ASSERT_EQ(font.size(), 267616u);
    auto row = [&font](int b1, int b2, int y) {
        const size_t at = ((static_cast<size_t>(b1) - 0xA1) * 94 + (b2 - 0xA1)) * 32 + y * 2;
        return static_cast<unsigned>(static_cast<unsigned char>(font[at]) << 8 |
                                     static_cast<unsigned char>(font[at + 1]));
    };
    auto columns = [&row](int b1, int b2) {  // the union of the glyph's rows
        unsigned used = 0;
        for (int y = 0; y < 16; ++y) used |= row(b1, b2, y);
        return used;
    };
    // The full-width space, unassigned row AA and unassigned D7FA are blank; F7FE, the last
    // character, is drawn.
    EXPECT_EQ(columns(0xA1, 0xA1) | columns(0xAA, 0xA1) | columns(0xD7, 0xFA), 0u);
    EXPECT_NE(columns(0xF7, 0xFE), 0u);
    // "一" (D2BB) is one horizontal stroke of one or two rows and nothing else.
    int strokeRows = 0;
    for (int y = 0; y < 16; ++y) {
        const int width = __builtin_popcount(row(0xD2, 0xBB, y));
        EXPECT_TRUE(width == 0 || width >= 10) << "row " << y;
        strokeRows += width >= 10;
    }
    EXPECT_TRUE(strokeRows == 1 || strokeRows == 2) << strokeRows;
    // Pinyin "ā" (A8A1), from an 8-pixel-wide source glyph, is centred.
    EXPECT_NE(columns(0xA8, 0xA1), 0u);
    EXPECT_EQ(columns(0xA8, 0xA1) & 0xF00F, 0u);
}

// Reads the XPM the way the boot loader does: line by line, quoted strings only.
TEST(SplashImage, ParsesAsTheLoaderExpects) {
    std::istringstream in(kh::test::fileBytes(KH_PAYLOAD_DIR "/greengem.xpm"));
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "/* XPM */");
    std::vector<std::string> strings;
    while (std::getline(in, line)) {
        const size_t open = line.find('"');
        if (open == std::string::npos) continue;
        const size_t close = line.find('"', open + 1);
        ASSERT_NE(close, std::string::npos) << line;
        strings.push_back(line.substr(open + 1, close - open - 1));
    }
    ASSERT_EQ(strings.size(), 1u + 14u + 480u);
    EXPECT_EQ(strings[0], "640 480 14 1");

    std::set<char> declared;
    for (int i = 1; i <= 14; ++i) {
        const std::string& c = strings[i];  // "x c #RRGGBB"
        ASSERT_EQ(c.size(), 11u) << c;
        EXPECT_EQ(c.substr(1, 4), " c #") << c;
        EXPECT_TRUE(std::all_of(c.begin() + 5, c.end(), ::isxdigit)) << c;
        EXPECT_TRUE(c[0] != '"' && c[0] != '\\' && declared.insert(c[0]).second) << c;
    }
    std::set<char> used;
    for (size_t y = 15; y < strings.size(); ++y) {
        ASSERT_EQ(strings[y].size(), 640u) << "row " << y - 15;
        used.insert(strings[y].begin(), strings[y].end());
    }
    EXPECT_TRUE(std::includes(declared.begin(), declared.end(), used.begin(), used.end()));
    EXPECT_GE(used.size(), 10u) << "picture uses almost none of its palette";
}

unsigned Le16(const std::string& d, size_t at) {
    return static_cast<unsigned char>(d[at]) | static_cast<unsigned char>(d[at + 1]) << 8;
}
uint32_t Le32(const std::string& d, size_t at) { return Le16(d, at) | Le16(d, at + 2) << 16; }

// What Windows XP picks from: three sizes in 16 colours, 256 colours and true colour, each entry
// pointing inside the file at a bitmap of its own size and depth (double height: colour and mask).
TEST(Icon, NineImagesThatReadersCanDecode) {
    const std::string ico = kh::test::fileBytes(KH_PAYLOAD_DIR "/app.ico");
    ASSERT_GE(ico.size(), 6u + 9 * 16);
    EXPECT_EQ(Le32(ico, 0), 0x10000u);  // reserved, type icon
    ASSERT_EQ(Le16(ico, 4), 9u);

    std::set<std::pair<int, int>> formats;
    for (size_t entry = 6; entry < 6 + 9 * 16; entry += 16) {
        const int size = static_cast<unsigned char>(ico[entry]);
        const int bpp = static_cast<int>(Le16(ico, entry + 6));
        const size_t offset = Le32(ico, entry + 12);
        SCOPED_TRACE(std::to_string(size) + "x" + std::to_string(bpp));
        formats.insert({size, bpp});
        EXPECT_EQ(static_cast<unsigned char>(ico[entry + 1]), size);
        EXPECT_EQ(static_cast<unsigned char>(ico[entry + 2]), bpp == 4 ? 16 : 0);
        ASSERT_LE(offset + Le32(ico, entry + 8), ico.size());
        EXPECT_EQ(Le32(ico, offset + 8), static_cast<uint32_t>(size * 2));
        EXPECT_EQ(Le16(ico, offset + 14), static_cast<unsigned>(bpp));
    }
    const std::set<std::pair<int, int>> expected = {{48, 4},  {48, 8}, {48, 32}, {32, 4}, {32, 8},
                                                    {32, 24}, {16, 4}, {16, 8},  {16, 32}};
    EXPECT_EQ(formats, expected);
}

}  // namespace
