// The pure line rules of boot.ini and menu.lst: worked examples, and the
// properties for any input (tests/fuzz/properties.h) over the fuzz corpus, so
// that every unit run checks them also where no fuzzer is built. The
// properties rely on the line splitting, the timeout test and the title test
// checked here.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hdinstall/bootini_rules.h"
#include "hdinstall/menu_entry.h"
#include "tests/fuzz/properties.h"
#include "tests/support/sim_env.h"

namespace kh::hd {
namespace {

const std::string kBootEntry = "c:\\grldr=\"KorvaneLinux\"\r\n";

TEST(BootIniLines, SplitLikeATextStream) {
    const auto lines = splitTextLines("a\r\nb\nc\r\r\nd\re");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "a");
    EXPECT_EQ(lines[1].text, "b");
    EXPECT_EQ(lines[2].text, "c\r");
    EXPECT_EQ(lines[3].text, "d\re");
    EXPECT_TRUE(lines[2].ended);
    EXPECT_FALSE(lines[3].ended);
    EXPECT_TRUE(splitTextLines("").empty());

    // A line end at the very start never looks back before the content.
    const std::string buffer = "\r\nrest";
    const auto fromLf = splitTextLines(std::string_view(buffer).substr(1));
    ASSERT_EQ(fromLf.size(), 2u);
    EXPECT_EQ(fromLf[0].text, "");
    EXPECT_EQ(fromLf[1].text, "rest");
}

TEST(BootIniLines, OnlyATimeoutKeyIsATimeoutLine) {
    for (const char* line : {"timeout=30", "  TimeOut = 30", "\tTIMEOUT\t=\t", "timeout=a=b"}) {
        EXPECT_TRUE(isTimeoutLine(line)) << line;
    }
    for (const char* line : {"timeout", "timeouts=3", "ximeout=3", "time out=3", "default=timeout",
                             "C:\\=\"timeout=3\"", "multi(0)\\X=\"no timeout here\""}) {
        EXPECT_FALSE(isTimeoutLine(line)) << line;
    }
}

TEST(BootIniRules, AddAndRemoveOnWorkedExamples) {
    bool found = true;
    EXPECT_EQ(addEntryToBootIni("[boot loader]\ntimeout=3\nC:\\=\"Windows\"", &found),
              "[boot loader]\r\ntimeout=15\r\nC:\\=\"Windows\"\r\n" + kBootEntry);
    EXPECT_FALSE(found);
    EXPECT_EQ(addEntryToBootIni("timeout=1 KorvaneLinux\r\nx=\"KorvaneLinux\"", &found),
              "timeout=15\r\nx=\"KorvaneLinux\"");
    EXPECT_TRUE(found);
    EXPECT_EQ(addEntryToBootIni("", nullptr), kBootEntry);

    EXPECT_EQ(
        removeEntryFromBootIni("[boot loader]\ntimeout=15\r\n" + kBootEntry +
                               "C:\\=\"Windows\"\r\nc:\\grldr=\"KorvaneLinux (copy)\"\r\nend"),
        "[boot loader]\r\ntimeout=15\r\nC:\\=\"Windows\"\r\nend");
}

// The entry for /dev/sda5 and (hd0,0), exactly as the menu gets it.
const std::string kMenuEntry =
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
    EXPECT_EQ(menuEntry(5, 0), kMenuEntry);
    const std::pair<unsigned, unsigned> kNumbers[] = {{10, 0}, {1, 12}, {11, 10}, {123, 104}};
    for (const auto& [iso, index] : kNumbers) {
        std::string entry = menuEntry(iso, index);
        replaceOnce(entry, "root (hd0," + std::to_string(index) + ")\n", "root (hd0,0)\n");
        replaceOnce(entry, " isodev=/dev/sda" + std::to_string(iso) + " ", " isodev=/dev/sda5 ");
        EXPECT_EQ(entry, kMenuEntry) << "sda" << iso << ", (hd0," << index << ")";
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

TEST(FuzzCorpus, EverySeedKeepsTheProperties) {
    const std::pair<const char*, void (*)(std::string_view)> properties[] = {
        {"bootini", fuzz::checkBootIniAdd},
        {"bootini", fuzz::checkBootIniRemove},
        {"menu", fuzz::checkMenuInsert}};
    for (const auto& [folder, check] : properties) {
        size_t seeds = 0;
        const auto path = std::filesystem::path(KH_SOURCE_DIR) / "tests/fuzz/corpus" / folder;
        for (const auto& seed : std::filesystem::directory_iterator(path)) {
            ++seeds;
            try {
                check(test::fileBytes(seed.path()));
            } catch (const fuzz::BrokenProperty& broken) {
                ADD_FAILURE() << seed.path() << ": " << broken.what();
            }
        }
        EXPECT_GT(seeds, 0u) << path;
    }
}

}  // namespace
}  // namespace kh::hd
