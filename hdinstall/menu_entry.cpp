#include "hdinstall/menu_entry.h"

#include "common/live_iso.h"
#include "common/texts.h"
#include "hdinstall/bootini_rules.h"
#include "platform/gbk_path.h"

namespace kh::hd {

std::string menuEntry(unsigned isoPartitionNumber, unsigned systemPartitionIndex) {
    std::string entry = std::string("title ") + msg::kMenuEntryTitle + "\n";
    entry += "root (hd0," + std::to_string(systemPartitionIndex) + ")\n";
    entry += std::string("kernel /") + live::kKernel + " root=CDLABEL=" + live::kLabel +
             " isodev=/dev/sda" + std::to_string(isoPartitionNumber) +
             "  isodev_dir=/  rootfstype=iso9660 ro liveimg vga=788 quiet \n";
    entry += std::string("initrd /") + live::kInitrd + " \n";
    return entry + "\n";
}

bool isFirstTitleCandidate(std::string_view line) {
    if (line.find('#') != std::string_view::npos) return false;
    for (size_t i = 0; i < line.size(); ++i) {
        // A lead byte is never 't', so one that ends the line may skip past it.
        if (isGbkLeadByte(static_cast<unsigned char>(line[i]))) {
            ++i;
        } else if (line[i] == 't') {
            return line.substr(i, 5) == "title";
        }
    }
    return false;
}

std::string insertMenuEntry(std::string_view menu, std::string_view entry) {
    std::string out;
    bool inserted = false;
    for (const TextLine& line : splitTextLines(menu)) {
        if (!inserted && isFirstTitleCandidate(line.text)) {
            for (const TextLine& entryLine : splitTextLines(entry)) {
                appendTextLine(out, entryLine.text, true);
            }
            inserted = true;
        }
        appendTextLine(out, line.text, line.ended);
    }
    return out;
}

}  // namespace kh::hd
