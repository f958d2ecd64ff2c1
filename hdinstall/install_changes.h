// The changes a hard-disk procedure makes, recorded as they are made, so that
// a failure half-way can take every one of them back: the install and the
// restore are all or nothing. Files are only ever renamed or created new,
// never overwritten, so that every step can be undone.
#pragma once

#include <string>
#include <vector>

#include "platform/system.h"

namespace kh::hd {

class Changes {
  public:
    explicit Changes(SystemServices& sys) : sys_(sys) {}

    // Renames `from` to `to` (which must not exist); undone by the rename back.
    bool move(const std::string& from, const std::string& to);
    // `path` is a new file of ours; undone by deleting it.
    void created(const std::string& path) { steps_.push_back({path, {}, false}); }
    // The same for a new folder, which is empty again when its turn comes.
    void createdFolder(const std::string& path) { steps_.push_back({path, {}, true}); }
    // `path` holds something only the undo needs; deleted by commit().
    void discardOnCommit(const std::string& path) { discards_.push_back(path); }

    // Takes every change back, latest first; what could not be put back
    // (empty when everything is as it was).
    std::vector<std::string> undo();
    // Deletes what only the undo needed and removes the new folders; what
    // could not be removed.
    std::vector<std::string> commit();

  private:
    struct Step {
        std::string path;  // where the change left something
        std::string from;  // where a moved file came from; empty for a new one
        bool folder;
    };
    bool remove(const std::string& path);
    bool undo(const Step& step);

    SystemServices& sys_;
    std::vector<Step> steps_;
    std::vector<std::string> discards_;
};

// A name of the form `stem` + N + `suffix` that nothing uses on the volume, for
// files of ours that only exist for a while or that are kept aside; nothing
// when every try is taken.
std::string unusedName(SystemServices& sys, const std::string& stem, const std::string& suffix);

}  // namespace kh::hd
