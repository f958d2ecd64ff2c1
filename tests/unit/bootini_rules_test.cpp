// The boot.ini line rules on worked examples. The properties for any input run
// over the corpus in fuzz_corpus_test.cpp; they rely on the line splitting and
// the timeout test checked here.
#include "hdinstall/bootini_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace kh::hd {
namespace {

const std::string kEntry = "c:\\grldr=\"KorvaneLinux\"\r\n";

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
              "[boot loader]\r\ntimeout=15\r\nC:\\=\"Windows\"\r\n" + kEntry);
    EXPECT_FALSE(found);
    EXPECT_EQ(addEntryToBootIni("timeout=1 KorvaneLinux\r\nx=\"KorvaneLinux\"", &found),
              "timeout=15\r\nx=\"KorvaneLinux\"");
    EXPECT_TRUE(found);
    EXPECT_EQ(addEntryToBootIni("", nullptr), kEntry);

    EXPECT_EQ(
        removeEntryFromBootIni("[boot loader]\ntimeout=15\r\n" + kEntry +
                               "C:\\=\"Windows\"\r\nc:\\grldr=\"KorvaneLinux (copy)\"\r\nend"),
        "[boot loader]\r\ntimeout=15\r\nC:\\=\"Windows\"\r\nend");
}

}  // namespace
}  // namespace kh::hd
