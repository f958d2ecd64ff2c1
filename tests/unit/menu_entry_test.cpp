// The GRUB menu entry and where it goes in the menu.
#include "hdinstall/menu_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kh::hd {
namespace {

// The entry for /dev/sda5 and (hd0,0), exactly as the menu gets it.
const std::string kEntry =
    "title KorvaneLinux桌面7.0rc\n"
    "root (hd0,0)\n"
    "kernel /vmlinuz0 root=CDLABEL=korvane-QX2-livecd isodev=/dev/sda5  isodev_dir=/  "
    "rootfstype=iso9660 ro liveimg vga=788 quiet \n"
    "initrd /initrd4disk.img \n"
    "\n";

void replaceOnce(std::string& text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " not in " << text;
    text.replace(at, from.size(), to);
}

TEST(MenuEntry, CarriesBothNumbersWhole) {
    EXPECT_EQ(menuEntry(5, 0), kEntry);
    const std::pair<unsigned, unsigned> kNumbers[] = {{10, 0}, {1, 12}, {11, 10}, {123, 104}};
    for (const auto& [iso, index] : kNumbers) {
        std::string entry = menuEntry(iso, index);
        replaceOnce(entry, "root (hd0," + std::to_string(index) + ")\n", "root (hd0,0)\n");
        replaceOnce(entry, " isodev=/dev/sda" + std::to_string(iso) + " ", " isodev=/dev/sda5 ");
        EXPECT_EQ(entry, kEntry) << "sda" << iso << ", (hd0," << index << ")";
    }
}

TEST(MenuEntry, GoesBeforeATitleWithOnlyOtherCharactersInFront) {
    EXPECT_TRUE(isFirstTitleCandidate("title 返回"));
    EXPECT_TRUE(isFirstTitleCandidate("  \ttitle x"));
    EXPECT_TRUE(isFirstTitleCandidate("ABCtitle"));
    EXPECT_TRUE(isFirstTitleCandidate("标题title"));      // GBK characters are whole characters
    EXPECT_TRUE(isFirstTitleCandidate("\xb7\x74title"));  // whose second byte may be 't'

    EXPECT_FALSE(isFirstTitleCandidate("# title commented out"));
    EXPECT_FALSE(isFirstTitleCandidate("title Linux # comment"));
    EXPECT_FALSE(isFirstTitleCandidate("timeout 10"));
    EXPECT_FALSE(isFirstTitleCandidate("default title"));  // the 't' of default comes first
    EXPECT_FALSE(isFirstTitleCandidate("ttitle"));
    EXPECT_FALSE(isFirstTitleCandidate("Title Windows"));
    EXPECT_FALSE(isFirstTitleCandidate("titl"));
    EXPECT_FALSE(isFirstTitleCandidate(""));

    // Only the line's own bytes are read (a line that is not followed by a terminator shows it
    // under AddressSanitizer).
    const std::vector<char> unterminated(1, 'x');
    EXPECT_FALSE(isFirstTitleCandidate(std::string_view(unterminated.data(), unterminated.size())));
}

TEST(MenuInsert, PutsTheEntryOnceBeforeTheFirstQualifyingLine) {
    const std::string menu =
        "timeout 5\n#title old\ndefault title\ntitle A\nroot (hd0,0)\n  title B\n";
    EXPECT_EQ(insertMenuEntry(menu, "title New\nkernel k\n\n"),
              "timeout 5\r\n#title old\r\ndefault title\r\n"
              "title New\r\nkernel k\r\n\r\n"
              "title A\r\nroot (hd0,0)\r\n  title B\r\n");
}

TEST(MenuInsert, CopiesAMenuWithoutQualifyingLine) {
    EXPECT_EQ(insertMenuEntry("# title\ntimeout 3\r\nend", "title New\n"),
              "# title\r\ntimeout 3\r\nend");
    EXPECT_EQ(insertMenuEntry("", "title New\n"), "");
}

TEST(MenuInsert, KeepsALastTitleWithoutLineEnd) {
    EXPECT_EQ(insertMenuEntry("a\r\n\ttitle last", "title New\n\n"),
              "a\r\ntitle New\r\n\r\n\ttitle last");
}

}  // namespace
}  // namespace kh::hd
