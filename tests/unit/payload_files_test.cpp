// Checks the payload files the Windows executable embeds, as the programs that read them would:
// exact text bytes, the font table's layout, the splash image's XPM subset and the icon directory.
// KH_PAYLOAD_DIR is the directory the native build writes them to.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadPayload(const std::string& name) {
    std::ifstream in(std::string(KH_PAYLOAD_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SplitKeepingEmpty(const std::string& text, const std::string& eol) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(eol, start)) != std::string::npos; start = end + eol.size()) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text does not end with a line break";
    return lines;
}

// ---- Text payloads --------------------------------------------------------------------------

TEST(TextPayloads, MenuLstIsGbkWithCrLf) {
    const std::string menu = ReadPayload("menu.lst");
    ASSERT_EQ(menu.size(), 458u);

    // Every LF is preceded by CR and no CR stands alone.
    for (size_t i = 0; i < menu.size(); ++i) {
        if (menu[i] == '\n') {
            EXPECT_TRUE(i > 0 && menu[i - 1] == '\r') << "bare LF at " << i;
        }
        if (menu[i] == '\r') {
            EXPECT_TRUE(i + 1 < menu.size() && menu[i + 1] == '\n') << "bare CR at " << i;
        }
    }

    // What the install relies on: the font and the picture it writes to the root, and a GBK
    // entry back to Windows that the live system's entry goes in front of.
    const std::vector<std::string> lines = SplitKeepingEmpty(menu, "\r\n");
    for (const char* line : {"fontfile /fonts", "splashimage /greengem.xpm",
                             "title \xB7\xB5\xBB\xD8" /* 返回 */, "chainloader /ntldr"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
}

TEST(TextPayloads, SyslinuxCfgIsAsciiWithLf) {
    const std::string cfg = ReadPayload("syslinux.cfg");
    ASSERT_EQ(cfg.size(), 1152u);
    for (char c : cfg) {
        ASSERT_NE(c, '\r');
        ASSERT_GE(static_cast<unsigned char>(c), 0x0A);
        ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    }

    // What the stick relies on: the menu module the USB procedure writes, and every entry booting
    // the live system from the volume labelled BOOT.
    const std::vector<std::string> lines = SplitKeepingEmpty(cfg, "\n");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "default vesamenu.c32"), lines.end());
    int appends = 0;
    for (const std::string& line : lines) {
        if (line.find("append ") == std::string::npos) continue;
        ++appends;
        EXPECT_EQ(line.rfind("  append initrd=initrd0.img root=LABEL=BOOT ro liveimg", 0), 0u)
            << line;
    }
    EXPECT_EQ(appends, 3);
}

// ---- Font table -----------------------------------------------------------------------------

class FontTable : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { font_ = new std::string(ReadPayload("fonts")); }
    static void TearDownTestSuite() { delete font_; }

    // Row `row` of the glyph for GB2312 bytes (b1, b2), 16 bits, bit 15 = leftmost pixel.
    static unsigned Row(int b1, int b2, int row) {
        size_t offset = ((static_cast<size_t>(b1) - 0xA1) * 94 + (b2 - 0xA1)) * 32 + row * 2;
        return static_cast<unsigned char>((*font_)[offset]) << 8 |
               static_cast<unsigned char>((*font_)[offset + 1]);
    }
    static int PixelCount(int b1, int b2) {
        int count = 0;
        for (int row = 0; row < 16; ++row) count += __builtin_popcount(Row(b1, b2, row));
        return count;
    }

    static std::string* font_;
};

std::string* FontTable::font_ = nullptr;

TEST_F(FontTable, HasTheExpectedSize) { EXPECT_EQ(font_->size(), 267616u); }

TEST_F(FontTable, FullWidthSpaceAndUnassignedCodesAreBlank) {
    EXPECT_EQ(PixelCount(0xA1, 0xA1), 0);
    EXPECT_EQ(PixelCount(0xAA, 0xA1), 0);  // rows AA..AF are unassigned in GB2312
    EXPECT_EQ(PixelCount(0xD7, 0xFA), 0);  // D7FA..D7FE are unassigned
}

TEST_F(FontTable, GlyphsSitAtTheirGb2312Offsets) {
    // "中" (D6D0): a full-height vertical stroke in the middle.
    int tallest = 0;
    for (int column = 0; column < 16; ++column) {
        int height = 0;
        for (int row = 0; row < 16; ++row) height += (Row(0xD6, 0xD0, row) >> (15 - column)) & 1;
        tallest = std::max(tallest, height);
    }
    EXPECT_GE(tallest, 14);

    // "一" (D2BB): one long horizontal stroke, nothing else.
    int stroke_rows = 0;
    for (int row = 0; row < 16; ++row) {
        int width = __builtin_popcount(Row(0xD2, 0xBB, row));
        if (width >= 10) {
            ++stroke_rows;
        } else {
            EXPECT_EQ(width, 0) << "row " << row;
        }
    }
    EXPECT_GE(stroke_rows, 1);
    EXPECT_LE(stroke_rows, 2);

    // The last character of GB2312, F7FE, lies inside the table and is drawn.
    EXPECT_GT(PixelCount(0xF7, 0xFE), 0);
}

TEST_F(FontTable, HalfWidthGlyphsAreCentred) {
    // Pinyin "ā" (A8A1) comes from an 8-pixel-wide source glyph.
    unsigned used = 0;
    for (int row = 0; row < 16; ++row) used |= Row(0xA8, 0xA1, row);
    ASSERT_NE(used, 0u);
    EXPECT_EQ(used & 0xF00F, 0u) << std::hex << used;
}

// ---- Splash image ---------------------------------------------------------------------------

// Reads the XPM the way the boot loader does: line by line, quoted strings only.
TEST(SplashImage, ParsesAsTheLoaderExpects) {
    std::istringstream in(ReadPayload("greengem.xpm"));
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "/* XPM */");

    std::vector<std::string> strings;
    while (std::getline(in, line)) {
        size_t open = line.find('"');
        if (open == std::string::npos) continue;
        size_t close = line.find('"', open + 1);
        ASSERT_NE(close, std::string::npos) << line;
        strings.push_back(line.substr(open + 1, close - open - 1));
    }
    ASSERT_EQ(strings.size(), 1u + 14u + 480u);
    EXPECT_EQ(strings[0], "640 480 14 1");

    std::map<char, std::string> colours;
    for (int i = 1; i <= 14; ++i) {
        const std::string& c = strings[i];
        ASSERT_EQ(c.size(), 11u) << c;  // "x c #RRGGBB"
        ASSERT_EQ(c.substr(1, 4), " c #") << c;
        for (size_t k = 5; k < 11; ++k) {
            EXPECT_TRUE(isxdigit(static_cast<unsigned char>(c[k]))) << c;
        }
        EXPECT_TRUE(colours.emplace(c[0], c.substr(4)).second) << "duplicate " << c[0];
        EXPECT_NE(c[0], '"');
        EXPECT_NE(c[0], '\\');
    }

    std::set<char> used;
    for (size_t y = 15; y < strings.size(); ++y) {
        ASSERT_EQ(strings[y].size(), 640u) << "row " << y - 15;
        for (char p : strings[y]) {
            ASSERT_TRUE(colours.count(p)) << "undeclared pixel '" << p << "' in row " << y - 15;
            used.insert(p);
        }
    }
    EXPECT_GE(used.size(), 10u) << "picture uses almost none of its palette";
}

// ---- Icon -----------------------------------------------------------------------------------

unsigned Le16(const std::string& d, size_t at) {
    return static_cast<unsigned char>(d[at]) | static_cast<unsigned char>(d[at + 1]) << 8;
}
uint32_t Le32(const std::string& d, size_t at) { return Le16(d, at) | Le16(d, at + 2) << 16; }

// What Windows XP picks from: three sizes in 16 colours, 256 colours and true colour. Each image
// is read as a reader locates its parts (header, palette, colour rows, AND mask; rows bottom-up and
// padded to four bytes), must lie whole inside its entry and show an opaque disc on transparent
// corners.
TEST(Icon, NineImagesThatReadersCanDecode) {
    const std::string ico = ReadPayload("app.ico");
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

        const size_t colour = offset + Le32(ico, offset) + (bpp <= 8 ? 4u << bpp : 0);
        const size_t colourRow = (size * bpp + 31) / 32 * 4;
        const size_t mask = colour + colourRow * size;
        const size_t maskRow = (size + 31) / 32 * 4;
        ASSERT_LE(mask + maskRow * size, offset + Le32(ico, entry + 8));
        auto transparent = [&](int x, int y) {
            return (static_cast<unsigned char>(ico[mask + (size - 1 - y) * maskRow + x / 8]) >>
                    (7 - x % 8)) &
                   1;
        };
        const int last = size - 1;
        EXPECT_TRUE(transparent(0, 0) && transparent(last, last));
        EXPECT_FALSE(transparent(size / 2, size / 2));
        if (bpp == 32) {  // the alpha channel agrees with the mask
            auto alpha = [&](int x, int y) {
                return static_cast<unsigned char>(ico[colour + (last - y) * colourRow + x * 4 + 3]);
            };
            EXPECT_EQ(alpha(0, 0), 0);
            EXPECT_EQ(alpha(size / 2, size / 2), 255);
        }
    }
    const std::set<std::pair<int, int>> expected = {{48, 4},  {48, 8}, {48, 32}, {32, 4}, {32, 8},
                                                    {32, 24}, {16, 4}, {16, 8},  {16, 32}};
    EXPECT_EQ(formats, expected);
}

}  // namespace
