// How child command lines are quoted and how 7-Zip's output is read.
#include "common/sevenzip.h"

#include <gtest/gtest.h>

namespace kh {
namespace {

// Each argument read back as CommandLineToArgvW and the C runtime read it.
TEST(ChildCommandLine, ArgumentsAreQuotedOnlyAsTheRuntimeNeeds) {
    const struct {
        const char* argument;
        const char* quoted;
    } cases[] = {
        {"plain", "plain"},
        {"", "\"\""},
        {"a b", "\"a b\""},
        {"C:\\", "C:\\"},                        // no quote to escape
        {"C:\\my dir\\", "\"C:\\my dir\\\\\""},  // before the closing quote: doubled
        {"say \"hi\"", "\"say \\\"hi\\\"\""},    // quotes escaped
        {"a\\\"b", "\"a\\\\\\\"b\""},            // a backslash before a quote: 2n+1
        {"a\\\\b c", "\"a\\\\b c\""},            // elsewhere kept as they are
        {"-x![BOOT]", "-x![BOOT]"},
        {"D:\\a 誠", "\"D:\\a 誠\""},            // GBK D5 5C: no backslash to double
        {"光盘 映像.iso", "\"光盘 映像.iso\""},  // GBK bytes pass through
    };
    for (const auto& c : cases) EXPECT_EQ(quoteArgument(c.argument), c.quoted) << c.argument;
}

// The image's own block is no item, the packed and physical sizes are not
// sizes, lines may end in LF alone, and a listing cut off before the items
// lists nothing.
TEST(SevenZip, ListingItemsAreTheBlocksAfterTheImage) {
    const std::string listing =
        "Path = live.iso\r\nType = Iso\r\nPhysical Size = 9999999999\r\n\r\n----------\r\n"
        "Path = LiveOS\r\nFolder = +\r\nSize = \r\nPacked Size = 0\r\n\r\n"
        "Path = LiveOS\\squashfs.img\r\nFolder = -\r\nSize = 5000000000\r\n"
        "Packed Size = 5000000000\r\n\r\nPath = isolinux\\vmlinuz0\nSize = 123\n";  // LF alone too
    const auto items = sevenzip::listedItems(listing);
    ASSERT_TRUE(items && items->size() == 3u);
    EXPECT_TRUE(items->at(0).folder && items->at(0).size == 0u);
    EXPECT_EQ(items->at(1).size, 5000000000u);
    EXPECT_TRUE(sevenzip::holdsFile(*items, "ISOLINUX\\vmlinuz0"));
    EXPECT_FALSE(sevenzip::holdsFile(*items, "LiveOS") || sevenzip::holdsFile(*items, "live.iso"));
    EXPECT_EQ(sevenzip::listedItems("Path = x\r\nPhysical Size = 7\r\n"), std::nullopt);
    // El Torito's folder and what is in it are no members; a member named like it is one.
    EXPECT_TRUE(sevenzip::isBootImage("[BOOT]") && sevenzip::isBootImage("[BOOT]\\a.img"));
    EXPECT_FALSE(sevenzip::isBootImage("[BOOT]a.img"));
}

TEST(SevenZip, ReadsTheLastPercentageOfTheProgressReport) {
    EXPECT_EQ(sevenzip::lastReportedPercent("Extracting archive: G:\\a.iso\r\n  0%\r    \r"), 0u);
    EXPECT_EQ(sevenzip::lastReportedPercent("  5% 1 - LiveOS\\squashfs.img\r 37% 1 - x\r"), 37u);
    EXPECT_EQ(sevenzip::lastReportedPercent("100%\r\nEverything is Ok\r\n"), 100u);
    EXPECT_EQ(sevenzip::lastReportedPercent(" 42% 3 - 50%off.txt\r\nEverything is Ok\r\n"), 42u);
    EXPECT_FALSE(sevenzip::lastReportedPercent("7-Zip 26.02\r\nScanning\r\n%\r\n").has_value());
    EXPECT_FALSE(sevenzip::lastReportedPercent("12345%").has_value());
}

}  // namespace
}  // namespace kh
