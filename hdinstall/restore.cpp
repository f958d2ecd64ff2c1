// Undoing the hard-disk install: the boot.ini entry and every file the
// install put on the system drive go, and the files of another boot tool it
// kept aside come back. All or nothing, as the install: our files are first
// renamed out of the way, the kept files renamed back, boot.ini changed last,
// and only then are our files deleted.
#include <optional>
#include <string>
#include <vector>

#include "common/report.h"
#include "common/texts.h"
#include "hdinstall/bootini_rewrite.h"
#include "hdinstall/hdinstall.h"
#include "hdinstall/install_changes.h"
#include "hdinstall/install_record.h"
#include "hdinstall/installed_files.h"
#include "hdinstall/safe_replace.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

// The install's record; an install made before there was one left every
// file of the list, and kept nothing aside. Nothing when a record is there
// but cannot be read: the files it keeps aside would be lost.
std::optional<InstallRecord> readRecord(DiskState& state) {
    const std::string path = installed::onDrive(state.systemDrive.letter, installed::kRecord);
    const FileContent content = readTextFile(state.sys, path);
    if (content.status == FileContent::Status::kOk) return parseRecord(content.bytes);
    if (content.status == FileContent::Status::kUnreadable && !state.sys.fileExists(path)) {
        return InstallRecord{{installed::kAll.begin(), installed::kAll.end()}, {}};
    }
    return std::nullopt;
}

// Renamed out of the way, deleted once the restore is complete. Only the
// rename's failure asks whether the file is there: a failed look for it
// would otherwise pass for a file already gone.
bool moveOut(DiskState& state, Changes& changes, const std::string& name) {
    const std::string path = installed::onDrive(state.systemDrive.letter, name);
    const std::string aside =
        unusedName(state.sys, installed::onDrive(state.systemDrive.letter, "~kh-del-" + name), "");
    if (!aside.empty() && changes.move(path, aside)) {
        changes.discardOnCommit(aside);
        return true;
    }
    return !state.sys.fileExists(path);
}

const Message* makeChanges(DiskState& state, Changes& changes, const InstallRecord& record,
                           const BootIniChange& bootIni) {
    for (const std::string& name : record.ours) {
        if (!moveOut(state, changes, name)) return &msg::kRestoreFileFailed;
    }
    // A kept file the user deleted meanwhile has nothing to come back.
    for (const KeptFile& kept : record.kept) {
        const std::string aside = installed::onDrive(state.systemDrive.letter, kept.aside);
        if (!changes.move(aside, installed::onDrive(state.systemDrive.letter, kept.name)) &&
            state.sys.fileExists(aside)) {
            return &msg::kRestoreFileFailed;
        }
    }
    if (!moveOut(state, changes, installed::kRecord)) return &msg::kRestoreFileFailed;
    std::string leftBehind;
    const Message* failure = writeBootIni(state, bootIni, msg::kBootIniProcessError, &leftBehind);
    if (!leftBehind.empty()) changes.created(leftBehind);  // to be named if it stays
    return failure;
}

// `message` followed by the paths, one a line.
void reportPaths(DiskState& state, const Message& message, const std::string& lead,
                 const std::vector<std::string>& paths) {
    std::string text = lead;
    for (const std::string& path : paths) text += "\n" + path;
    show(state.shared, message, text);
}

}  // namespace

void runRestore(DiskState& state) {
    const auto bootIni = prepareBootEntryRemoval(state);
    if (!bootIni) return;
    const auto record = readRecord(state);
    if (!record) {
        show(state.shared, msg::kRecordUnreadable);
        return;
    }
    Changes changes(state.sys);
    if (const Message* failure = makeChanges(state, changes, *record, *bootIni)) {
        const std::vector<std::string> left = changes.undo();
        if (left.empty()) {
            show(state.shared, *failure);
        } else {
            reportPaths(state, *failure,
                        std::string(failure->text) + "\n\n" + msg::kRestoreUndoIncomplete.text,
                        left);
        }
        return;
    }
    const std::vector<std::string> left = changes.commit();
    if (left.empty()) {
        show(state.shared, msg::kRestoreDone);
    } else {
        reportPaths(state, msg::kRestoreLeftOver, msg::kRestoreLeftOver.text, left);
    }
    state.ui.postQuit();
}

}  // namespace kh::hd
