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

// Insertion itself is checked for any menu by the corpus properties, which
// rely on this test of the line that the entry goes before.
TEST(MenuEntry, GoesBeforeATitleWithOnlyOtherCharactersInFront) {
    // GBK characters are whole characters, whose second byte may be 't'.
    for (const char* line :
         {"title 返回", "  \ttitle x", "ABCtitle", "标题title", "\xb7\x74title"}) {
        EXPECT_TRUE(isFirstTitleCandidate(line)) << line;
    }
    // In "default title" the 't' of default comes first.
    for (const char* line : {"# title commented out", "title Linux # comment", "timeout 10",
                             "default title", "ttitle", "Title Windows", "titl", ""}) {
        EXPECT_FALSE(isFirstTitleCandidate(line)) << line;
    }
    // Only the line's own bytes are read (a line that is not followed by a
    // terminator shows it under AddressSanitizer).
    const std::vector<char> unterminated(1, 'x');
    EXPECT_FALSE(isFirstTitleCandidate(std::string_view(unterminated.data(), unterminated.size())));
}

TEST(MenuInsert, PutsTheEntryOnceBeforeTheFirstQualifyingLine) {
    EXPECT_EQ(insertMenuEntry("timeout 5\n#title old\ntitle A\n  title B", "title New\n\n"),
              "timeout 5\r\n#title old\r\ntitle New\r\n\r\ntitle A\r\n  title B");
}

}  // namespace
}  // namespace kh::hd
