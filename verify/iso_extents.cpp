#include "verify/iso_extents.h"

#include <map>
#include <set>
#include <string_view>

namespace kh::verify {

namespace {

// The volume descriptors start at sector 16, in sectors of 2048 bytes
// whatever the logical block size; a directory record never crosses a sector.
constexpr size_t kSectorBytes = 2048;
constexpr uint64_t kFirstDescriptor = 16 * kSectorBytes;
// Bounds no live system's image comes near: beyond them the image is left to
// 7-Zip rather than read into memory or walked in a loop.
constexpr int kMaxDescriptors = 32;
constexpr uint32_t kMaxDirectoryBytes = 16 * 1024 * 1024;
constexpr int kMaxDepth = 32;
constexpr size_t kMaxEntries = 1000000;

// Directory record flags: the only one a plain file may carry besides
// "hidden" is none; "directory" marks a folder.
constexpr uint8_t kHidden = 0x01;
constexpr uint8_t kDirectory = 0x02;

uint8_t byteAt(std::string_view bytes, size_t at) { return static_cast<uint8_t>(bytes[at]); }
uint32_t le16(std::string_view bytes, size_t at) {
    return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8;
}
uint32_t le32(std::string_view bytes, size_t at) {
    return le16(bytes, at) | static_cast<uint32_t>(le16(bytes, at + 2)) << 16;
}

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::optional<std::string> readAt(ReadableFile& iso, uint64_t offset, size_t size) {
    if (!iso.seek(offset)) return std::nullopt;
    std::string bytes(size, '\0');
    for (size_t done = 0; done < size;) {
        const auto got = iso.read(bytes.data() + done, size - done);
        if (!got || *got == 0) return std::nullopt;
        done += *got;
    }
    return bytes;
}

// A directory record, as far as finding a file's bytes needs it.
struct Record {
    std::string name;  // as 7-Zip shows it; empty for "." and ".."
    uint32_t block = 0;
    uint32_t size = 0;
    uint8_t flags = 0;
    bool contiguous = false;  // no extended attributes before it, not interleaved
};

// The name 7-Zip shows: Joliet's UCS-2 as ASCII, without the version ";1",
// a primary name without the "." that ends a name lacking an extension.
// Nothing for a character beyond printable ASCII or a separator in a name.
std::optional<std::string> shownName(std::string_view raw, bool joliet) {
    std::string name;
    if (joliet && raw.size() % 2 != 0) return std::nullopt;
    for (size_t i = 0; i < raw.size(); i += joliet ? 2 : 1) {
        if (joliet && raw[i] != 0) return std::nullopt;
        name += raw[joliet ? i + 1 : i];
    }
    for (const char c : name) {
        if (c < 0x20 || c > 0x7e || c == '\\' || c == '/') return std::nullopt;
    }
    if (name.size() > 2 && name.compare(name.size() - 2, 2, ";1") == 0)
        name.resize(name.size() - 2);
    if (!joliet && name.size() > 1 && name.back() == '.') name.pop_back();
    return name;
}

// The record at `at` in `bytes`; nothing when it is damaged.
std::optional<Record> recordAt(std::string_view bytes, size_t at, bool joliet) {
    const size_t length = byteAt(bytes, at);
    if (length < 34 || at + length > bytes.size()) return std::nullopt;
    const size_t nameLength = byteAt(bytes, at + 32);
    if (33 + nameLength > length) return std::nullopt;
    Record record;
    record.block = le32(bytes, at + 2);
    record.size = le32(bytes, at + 10);
    record.flags = byteAt(bytes, at + 25);
    record.contiguous =
        byteAt(bytes, at + 1) == 0 && byteAt(bytes, at + 26) == 0 && byteAt(bytes, at + 27) == 0;
    const std::string_view raw = bytes.substr(at + 33, nameLength);
    if (raw == std::string_view("\0", 1) || raw == "\1") return record;  // "." and ".."
    const auto name = shownName(raw, joliet);
    if (!name || name->empty()) return std::nullopt;
    record.name = *name;
    return record;
}

// The volume whose tree 7-Zip shows.
struct Volume {
    uint32_t blockBytes = 0;
    bool joliet = false;
    Record root;
};

std::optional<Volume> volumeOf(std::string_view descriptor, bool joliet) {
    Volume volume{le16(descriptor, 128), joliet, {}};
    if (volume.blockBytes != 512 && volume.blockBytes != 1024 && volume.blockBytes != 2048) {
        return std::nullopt;
    }
    const auto root = recordAt(descriptor.substr(156, 34), 0, joliet);
    if (!root || !(root->flags & kDirectory)) return std::nullopt;
    volume.root = *root;
    return volume;
}

bool isJoliet(std::string_view descriptor) {
    const std::string_view escape = descriptor.substr(88, 3);
    return escape == "%/@" || escape == "%/C" || escape == "%/E";
}

// The Joliet volume when the image has one, as 7-Zip prefers it, else the
// primary one; nothing when the descriptors are damaged.
std::optional<Volume> shownVolume(ReadableFile& iso) {
    std::optional<Volume> primary;
    std::optional<Volume> joliet;
    for (int i = 0; i < kMaxDescriptors; ++i) {
        const auto descriptor = readAt(iso, kFirstDescriptor + i * kSectorBytes, kSectorBytes);
        if (!descriptor || descriptor->compare(1, 5, "CD001") != 0) return std::nullopt;
        const uint8_t type = byteAt(*descriptor, 0);
        if (type == 255) return primary && joliet ? joliet : primary;
        if (type == 1 && !primary) {
            primary = volumeOf(*descriptor, false);
            if (!primary) return std::nullopt;
        }
        if (type == 2 && !joliet && isJoliet(*descriptor)) {
            joliet = volumeOf(*descriptor, true);
            if (!joliet) return std::nullopt;
        }
    }
    return std::nullopt;
}

// The image's files and folders by their path in lower case.
class Tree {
  public:
    Tree(ReadableFile& iso, const Volume& volume) : iso_(iso), volume_(volume) {}
    bool walk() { return walkFolder(volume_.root, "", 0); }
    const Record* find(const std::string& name) const {
        const auto it = records_.find(lowerAscii(name));
        return it == records_.end() ? nullptr : &it->second;
    }

  private:
    bool walkFolder(const Record& folder, const std::string& prefix, int depth) {
        if (depth > kMaxDepth || folder.size > kMaxDirectoryBytes ||
            !walked_.insert(folder.block).second) {
            return false;
        }
        const auto bytes = readAt(iso_, uint64_t{folder.block} * volume_.blockBytes, folder.size);
        if (!bytes) return false;
        for (size_t at = 0; at < bytes->size();) {
            if (byteAt(*bytes, at) == 0) {  // the rest of the sector is padding
                at = (at / kSectorBytes + 1) * kSectorBytes;
                continue;
            }
            const auto record = recordAt(*bytes, at, volume_.joliet);
            if (!record) return false;
            at += byteAt(*bytes, at);
            if (record->name.empty()) continue;
            // Two records of one name (case aside): which one 7-Zip shows, or
            // whether they are the parts of one file, is not worth knowing.
            const std::string path = prefix + lowerAscii(record->name);
            if (!records_.emplace(path, *record).second || records_.size() > kMaxEntries) {
                return false;
            }
            if ((record->flags & kDirectory) && !walkFolder(*record, path + '\\', depth + 1)) {
                return false;
            }
        }
        return true;
    }

    ReadableFile& iso_;
    Volume volume_;
    std::map<std::string, Record> records_;
    std::set<uint32_t> walked_;
};

}  // namespace

std::optional<std::vector<IsoExtent>> isoExtents(ReadableFile& iso,
                                                 const std::vector<StreamMember>& members) {
    const auto volume = shownVolume(iso);
    if (!volume) return std::nullopt;
    Tree tree(iso, *volume);
    if (!tree.walk()) return std::nullopt;
    std::vector<IsoExtent> extents;
    for (const StreamMember& member : members) {
        const Record* file = tree.find(member.name);
        if (!file || (file->flags & ~kHidden) != 0 || !file->contiguous ||
            file->size != member.size) {
            return std::nullopt;
        }
        extents.push_back({uint64_t{file->block} * volume->blockBytes, file->size});
    }
    return extents;
}

std::optional<std::vector<IsoExtent>> isoExtents(SystemServices& system, const std::string& isoPath,
                                                 const std::vector<StreamMember>& members) {
    const auto iso = system.openForReading(isoPath);
    if (!iso) return std::nullopt;
    return isoExtents(*iso, members);
}

}  // namespace kh::verify
