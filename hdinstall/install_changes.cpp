#include "hdinstall/install_changes.h"

#include "platform/winconst.h"

namespace kh::hd {

namespace {

// More than any root holds of our own names; bounds the search.
constexpr int kNameTries = 100;

}  // namespace

bool Changes::move(const std::string& from, const std::string& to) {
    if (!sys_.moveFile(from, to)) return false;
    steps_.push_back({to, from, false});
    return true;
}

// One already gone counts as removed. A read-only mark the user or the system
// set would block the delete.
bool Changes::remove(const std::string& path) {
    sys_.setAttributes(path, win::kAttrNormal);
    return sys_.removeFile(path) != FileRemoval::kFailed;
}

bool Changes::undo(const Step& step) {
    if (!step.from.empty()) return sys_.moveFile(step.path, step.from);
    if (!step.folder) return remove(step.path);
    return sys_.removeDirectory(step.path) || !sys_.fileExists(step.path);
}

std::vector<std::string> Changes::undo() {
    std::vector<std::string> left;
    for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
        if (undo(*step)) continue;
        left.push_back(step->from.empty() ? step->path : step->path + " -> " + step->from);
    }
    steps_.clear();
    discards_.clear();
    return left;
}

std::vector<std::string> Changes::commit() {
    std::vector<std::string> left;
    for (const std::string& path : discards_) {
        if (!remove(path)) left.push_back(path);
    }
    // A folder of ours is empty once its files took their places.
    for (const Step& step : steps_) {
        if (step.folder && !sys_.removeDirectory(step.path)) left.push_back(step.path);
    }
    steps_.clear();
    discards_.clear();
    return left;
}

std::string unusedName(SystemServices& sys, const std::string& stem, const std::string& suffix) {
    for (int n = 0; n < kNameTries; ++n) {
        const std::string candidate = stem + std::to_string(n) + suffix;
        if (!sys.fileExists(candidate)) return candidate;
    }
    return {};
}

}  // namespace kh::hd
