// The texts of common/texts.def are fixed, their slips included ("menu.list" for menu.lst): every row, with a
// box's caption, flags, kind and owner, must match tests/unit/texts_golden.txt byte for byte, so
// that a well-meant correction of the table fails here.
#include "common/texts.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

namespace kh {
namespace {

// The program's GBK bytes as UTF-8, the golden file's encoding.
std::string utf8FromGbk(const std::string& gbk) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no GBK converter>";
    std::string in = gbk, out(gbk.size() * 2, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const bool converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!converted) return "<not GBK: " + gbk + ">";
    out.resize(out.size() - outLeft);
    return out;
}

// One line per row: id, text and, for a box, its caption's id, flags, kind and owner.
std::vector<std::string> tableAsGolden() {
    std::vector<std::string> lines;
    for (const msg::TextRow& row : msg::kAllTexts) {
        std::ostringstream line;
        line << row.id << '\t' << utf8FromGbk(row.text);
        if (row.message) {
            line << '\t' << row.captionId << "\tflags=0x" << std::hex << row.message->flags
                 << std::dec << " kind=" << static_cast<int>(row.message->kind)
                 << " owner=" << static_cast<int>(row.message->owner);
        }
        lines.push_back(line.str());
    }
    return lines;
}

TEST(Texts, EveryRowMatchesTheGoldenListByteForByte) {
    std::ifstream golden(KH_SOURCE_DIR "/tests/unit/texts_golden.txt", std::ios::binary);
    ASSERT_TRUE(golden) << "tests/unit/texts_golden.txt missing";
    std::vector<std::string> expected;
    for (std::string line; std::getline(golden, line);) expected.push_back(line);
    const std::vector<std::string> table = tableAsGolden();
    for (size_t i = 0; i < std::max(table.size(), expected.size()); ++i) {
        const std::string ours = i < table.size() ? table[i] : "<no row>";
        const std::string theirs = i < expected.size() ? expected[i] : "<no line>";
        EXPECT_EQ(ours, theirs) << "line " << i + 1 << " of texts_golden.txt\n  table:  " << ours
                                << "\n  golden: " << theirs;
    }
}

}  // namespace
}  // namespace kh
