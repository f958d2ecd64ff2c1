// Writes the program's texts (common/texts.def) as shell assignments, KH_TEXT_<id>='…' in UTF-8,
// and the label the program wants of a live ISO as KH_ISO_LABEL, for the shell tests to source:
// they compare what the window shows with the table and make their ISOs with that label, never
// with a retyped copy. Compiled with UTF-8 literals.
#include <cstdio>
#include <string>

#include "common/live_iso.h"
#include "common/texts.h"

namespace {

std::string singleQuoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    std::string lines = "# Generated from common/texts.def and common/live_iso.h by common/tools/texts_sh.cpp.\n";
    for (const kh::msg::TextRow& row : kh::msg::kAllTexts) {
        lines += std::string("KH_TEXT_") + row.id + "=" + singleQuoted(row.text) + "\n";
    }
    lines += "KH_ISO_LABEL=" + singleQuoted(kh::live::kLabel) + "\n";
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    const bool written = std::fwrite(lines.data(), 1, lines.size(), out) == lines.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
