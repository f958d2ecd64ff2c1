// The fuzz properties over the seed corpus, so that every unit run checks them
// on the inputs worth keeping, also where no fuzzer is built.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/fuzz/properties.h"

namespace kh::fuzz {
namespace {

struct CorpusRun {
    const char* property;
    const char* folder;  // in tests/fuzz/corpus
    void (*check)(std::string_view input);
};

const CorpusRun kRuns[] = {
    {"boot.ini addition", "bootini", checkBootIniAdd},
    {"boot.ini removal", "bootini", checkBootIniRemove},
    {"menu insertion", "menu", checkMenuInsert},
};

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FuzzCorpus, EverySeedKeepsTheProperties) {
    for (const CorpusRun& run : kRuns) {
        size_t seeds = 0;
        const auto folder = std::filesystem::path(KH_SOURCE_DIR) / "tests/fuzz/corpus" / run.folder;
        for (const auto& seed : std::filesystem::directory_iterator(folder)) {
            ++seeds;
            try {
                run.check(readBytes(seed.path()));
            } catch (const BrokenProperty& broken) {
                ADD_FAILURE() << run.property << ", " << seed.path().filename() << ": "
                              << broken.what();
            }
        }
        EXPECT_GT(seeds, 0u) << folder;
    }
}

}  // namespace
}  // namespace kh::fuzz
