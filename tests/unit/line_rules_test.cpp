// The pure line rules of boot.ini and menu.lst: the properties for any input
// (tests/fuzz/properties.h) over the fuzz corpus, so that every unit run checks
// them also where no fuzzer is built, and the timeout and title tests they rely
// on. The rewrites' exact output pins the line splitting.
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

TEST(BootIniLines, OnlyATimeoutKeyIsATimeoutLine) {
    for (const char* line : {"timeout=30", "  TimeOut = 30", "\tTIMEOUT\t=\t", "timeout=a=b"}) {
        EXPECT_TRUE(isTimeoutLine(line)) << line;
    }
    for (const char* line : {"timeout", "timeouts=3", "ximeout=3", "time out=3", "default=timeout",
                             "C:\\=\"timeout=3\"", "multi(0)\\X=\"no timeout here\""}) {
        EXPECT_FALSE(isTimeoutLine(line)) << line;
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
