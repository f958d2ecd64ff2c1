// The boot.ini line rules: the entry added once, the timeout line, the entry
// taken out, and every other byte left alone (for any input: tests/fuzz/properties.h).
#include "hdinstall/bootini_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace kh::hd {
namespace {

const std::string kEntry = "c:\\grldr=\"KorvaneLinux\"\r\n";

const std::string kXp =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n";

// The content as the rewrites write it back when they change nothing.
std::string normalised(const std::string& content) {
    std::string out;
    for (const TextLine& line : splitTextLines(content)) appendTextLine(out, line.text, line.ended);
    return out;
}

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
    EXPECT_EQ(normalised("a\nb\r\n\nc"), "a\r\nb\r\n\r\nc");

    // A line end at the very start never looks back before the content.
    const std::string buffer = "\r\nrest";
    const auto fromLf = splitTextLines(std::string_view(buffer).substr(1));
    ASSERT_EQ(fromLf.size(), 2u);
    EXPECT_EQ(fromLf[0].text, "");
    EXPECT_EQ(fromLf[1].text, "rest");
}

TEST(BootIniAdd, AppendsTheEntryAndSetsTheTimeout) {
    bool found = true;
    const std::string result = addEntryToBootIni(kXp, &found);
    EXPECT_FALSE(found);
    std::string expected = kXp;
    expected.replace(expected.find("timeout=30"), 10, "timeout=15");
    EXPECT_EQ(result, expected + kEntry);
}

TEST(BootIniAdd, WritesCrLfWhateverTheInputHas) {
    EXPECT_EQ(addEntryToBootIni("[boot loader]\ntimeout=3\n", nullptr),
              "[boot loader]\r\ntimeout=15\r\n" + kEntry);
    EXPECT_EQ(addEntryToBootIni("", nullptr), kEntry);
}

TEST(BootIniAdd, StartsANewLineAfterALastLineWithoutLineEnd) {
    EXPECT_EQ(addEntryToBootIni("[operating systems]\r\nC:\\=\"Windows\"", nullptr),
              "[operating systems]\r\nC:\\=\"Windows\"\r\n" + kEntry);
}

TEST(BootIniAdd, FindsTheMarkerAnywhereAndAddsNothing) {
    const std::string longLine = "C:\\=\"" + std::string(300, 'w') + " KorvaneLinux\"";
    bool found = false;
    const std::string result = addEntryToBootIni("timeout=30\r\n" + longLine + "\r\nlast", &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(result, "timeout=15\r\n" + longLine + "\r\nlast");
}

TEST(BootIniAdd, IgnoresAMarkerInTheTimeoutLineItOverwrites) {
    bool found = true;
    EXPECT_EQ(addEntryToBootIni("timeout=1 KorvaneLinux\r\n", &found), "timeout=15\r\n" + kEntry);
    EXPECT_FALSE(found);
}

TEST(BootIniAdd, ChangesOnlyATimeoutKey) {
    EXPECT_TRUE(isTimeoutLine("timeout=30"));
    EXPECT_TRUE(isTimeoutLine("  TimeOut = 30"));
    EXPECT_TRUE(isTimeoutLine("\tTIMEOUT\t=\t"));
    EXPECT_TRUE(isTimeoutLine("timeout=a=b"));
    EXPECT_FALSE(isTimeoutLine("timeout"));
    EXPECT_FALSE(isTimeoutLine("timeouts=3"));
    EXPECT_FALSE(isTimeoutLine("ximeout=3"));
    EXPECT_FALSE(isTimeoutLine("time out=3"));
    EXPECT_FALSE(isTimeoutLine("default=timeout"));
    EXPECT_FALSE(isTimeoutLine("C:\\=\"timeout=3\""));
    EXPECT_FALSE(isTimeoutLine("multi(0)disk(0)rdisk(0)partition(1)\\X=\"no timeout here\""));

    EXPECT_EQ(addEntryToBootIni("[boot loader]\r\ndefault=C:\\\r\n", nullptr),
              "[boot loader]\r\ndefault=C:\\\r\n" + kEntry);
}

TEST(BootIniRemove, DropsEveryMarkerLineAndNothingElse) {
    const std::string content =
        "[boot loader]\ntimeout=15\r\n"
        "c:\\grldr=\"KorvaneLinux\"\r\n"
        "C:\\=\"Windows\"\r\n"
        "c:\\grldr=\"KorvaneLinux (my copy)\"\r\n"
        "tail without end";
    EXPECT_EQ(removeEntryFromBootIni(content),
              "[boot loader]\r\ntimeout=15\r\nC:\\=\"Windows\"\r\ntail without end");
    EXPECT_EQ(removeEntryFromBootIni("a\r\nc:\\grldr=\"KorvaneLinux\""), "a\r\n");
    EXPECT_EQ(removeEntryFromBootIni(""), "");
}

}  // namespace
}  // namespace kh::hd
