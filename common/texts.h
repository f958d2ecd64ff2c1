// The program's texts as constants, one per row of common/texts.def: captions, status lines and
// titles as `const char*`, message boxes as `Message`, the boxes of a payload write-out as
// `WriteOutMessages`. A procedure names what it shows by id, e.g. msg::kIsoMissing.
#pragma once

#include "platform/ui.h"
#include "platform/winconst.h"

namespace kh {

enum class MessageKind {
    kNotice,    // information; nothing follows from it
    kQuestion,  // the answer decides
    kRefusal,   // nothing was changed; OK is enabled again for another try
    kFailure,   // recorded in SharedState::failureShown; the end is requested
};

// A message box of the program: text, caption and MessageBoxA flags.
struct Message {
    const char* text;
    const char* caption;
    unsigned flags;
    MessageKind kind;
    BoxOwner owner = BoxOwner::kMainWindow;
};

// The boxes of one payload write-out, one for each step that can fail. "%s" in a text stands for
// the name of the file written.
struct WriteOutMessages {
    Message notFound;
    Message loadFailed;
    Message lockFailed;
    Message createFailed;
};

namespace msg {

#define KH_TEXT(id, text, note) inline constexpr const char* id = text;
#define KH_MESSAGE(id, caption, flags, kind, owner, text, note) \
    inline constexpr Message id = {text, caption, flags, MessageKind::kind, BoxOwner::owner};
#define KH_WRITE_OUT(id, notFound, loadFailed, lockFailed, createFailed) \
    inline constexpr WriteOutMessages id = {notFound, loadFailed, lockFailed, createFailed};
#include "common/texts.def"
#undef KH_TEXT
#undef KH_MESSAGE
#undef KH_WRITE_OUT

// Every text with its id, in the order of the table, for the golden check and the shell tests.
struct TextRow {
    const char* id;
    const char* text;
    const char* captionId;   // a message box's caption; nullptr for a plain text
    const Message* message;  // the box; nullptr for a plain text
};

#define KH_TEXT(id, text, note) {#id, text, nullptr, nullptr},
#define KH_MESSAGE(id, caption, flags, kind, owner, text, note) {#id, text, #caption, &id},
#define KH_WRITE_OUT(id, notFound, loadFailed, lockFailed, createFailed)
inline constexpr TextRow kAllTexts[] = {
#include "common/texts.def"
};
#undef KH_TEXT
#undef KH_MESSAGE
#undef KH_WRITE_OUT

}  // namespace msg
}  // namespace kh
