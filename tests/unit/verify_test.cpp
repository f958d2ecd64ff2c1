// The ISO check and the read-back: digests, checksum files, hashing through
// the seam, comparing a member stream with the files on a drive.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"
#include "tests/support/sim_env.h"
#include "verify/checksum_file.h"
#include "verify/digest.h"
#include "verify/file_hash.h"
#include "verify/iso_extents.h"
#include "verify/iso_listing.h"
#include "verify/readback.h"
#include "verify/stream_check.h"

namespace kh::verify {
namespace {

constexpr auto kMd5 = HashAlgorithm::kMd5;
constexpr auto kSha1 = HashAlgorithm::kSha1;
constexpr auto kSha256 = HashAlgorithm::kSha256;

std::string patterned(size_t size) {
    std::string bytes(size, '\0');
    uint32_t x = 0x9e3779b9;
    for (char& c : bytes) c = static_cast<char>((x = x * 1664525 + 1013904223) >> 24);
    return bytes;
}

// RFC 1321's and FIPS 180's examples (empty, one block, padding into a second
// block, several blocks), each hashed in one piece and in pieces of every size
// from 1 to 130 bytes, which cross every block boundary.
TEST(Digest, PublishedVectorsWholeAndInPieces) {
    const std::string million(1000000, 'a');
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    std::string eightTimes1To0;
    for (int i = 0; i < 8; ++i) eightTimes1To0 += "1234567890";
    const struct {
        HashAlgorithm algorithm;
        std::string input;
        const char* digest;
    } kCases[] = {
        {kMd5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {kMd5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {kMd5, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {kMd5, eightTimes1To0, "57edf4a22be3c955ac49da2e2107b67a"},
        {kSha1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {kSha1, twoBlocks, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {kSha1, million, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {kSha256, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {kSha256, twoBlocks, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {kSha256, million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(hexDigest(c.algorithm, c.input), c.digest);
        Hasher pieces(c.algorithm);
        for (size_t at = 0, size = 1; at < c.input.size(); at += size, size = size % 130 + 1) {
            pieces.update(std::string_view(c.input).substr(at, size));
        }
        EXPECT_EQ(pieces.finishHex(), c.digest);
    }
}

// Progress rises to 100 unless the caller stops; a stop or a failed read
// never yields a digest, a whole run the digest of every byte.
TEST(FileHash, ProgressStopAndReadFailure) {
    using Status = FileHash::Status;
    const struct {
        int stopAt;                                    // the caller says stop here; -1 never
        std::optional<std::pair<sim::Op, int>> fault;  // the call and its occurrence
        Status status;
        int lastSeen;  // the last percentage reported
    } kCases[] = {
        {-1, {}, Status::kDone, 100},
        {0, {}, Status::kCancelled, 0},
        {40, {}, Status::kCancelled, 42},  // 3 of 7 pieces
        {-1, std::pair{sim::Op::kReadChunk, 3}, Status::kUnreadable, 28},
    };
    for (const auto& c : kCases) {
        sim::SimSystem sys;
        sys.mapDrive('D');
        sys.writeHostFile("D:\\live.iso", patterned(7 * kHashReadBytes));
        if (c.fault) sys.failOn(c.fault->first, c.fault->second);
        std::vector<int> seen;
        const FileHash hash = hashFile(sys, "D:\\live.iso", kSha256, [&](int percent) {
            seen.push_back(percent);
            return c.stopAt < 0 || percent < c.stopAt;
        });
        EXPECT_EQ(hash.status, c.status) << c.stopAt;
        EXPECT_EQ(hash.hexDigest, c.status == Status::kDone
                                      ? hexDigest(kSha256, patterned(7 * kHashReadBytes))
                                      : "");
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_EQ(seen.back(), c.lastSeen);
    }
}

const std::string kA(64, 'a');
const std::string kB(64, 'b');
const std::string kMd5A(32, 'a');
const std::string kCapitalA(64, 'A');

// One checksum file's lines about live.iso; nothing means malformed.
TEST(ChecksumFile, LinesAboutTheIso) {
    using Digests = std::map<HashAlgorithm, std::string>;
    const struct {
        const char* what;
        std::string content;
        std::optional<Digests> digests;
    } kCases[] = {
        {"GNU text mode", kA + "  live.iso\n", Digests{{kSha256, kA}}},
        {"GNU binary mode, other case", kA + " *LIVE.ISO\n", Digests{{kSha256, kA}}},
        {"BSD form", "SHA256 (live.iso) = " + kA, Digests{{kSha256, kA}}},
        {"BSD form without blanks", "SHA256(live.iso)=" + kA, Digests{{kSha256, kA}}},
        {"one blank", kA + " live.iso", Digests{{kSha256, kA}}},
        {"SHA-1", "SHA1 (live.iso) = " + kA.substr(24), Digests{{kSha1, kA.substr(24)}}},
        {"mark, CR LF, ./, capitals",
         "\xEF\xBB\xBF" + kCapitalA + "  ./live.iso\r\n# sums\r\n" + kB + "  x.iso\r\n",
         Digests{{kSha256, kA}}},
        {"other files only, garbage about them", kA + "  other.iso\nzz  x.iso\nnonsense\n",
         Digests{}},
        {"a tag not computed", "SHA512 (live.iso) = " + kA + kA, Digests{}},
        {"BSD lines of two algorithms", "MD5 (live.iso) = " + kMd5A + "\nSHA256 (live.iso) = " + kA,
         Digests{{kMd5, kMd5A}, {kSha256, kA}}},
        {"the same digest twice", kA + "  live.iso\nSHA256 (live.iso) = " + kA,
         Digests{{kSha256, kA}}},
        {"two digests", kA + "  live.iso\n" + kB + "  live.iso\n", std::nullopt},
        {"a digest of the wrong length", kMd5A + "  live.iso\n", std::nullopt},
        {"a digest that is not hexadecimal", std::string(64, 'g') + "  live.iso", std::nullopt},
        {"a BSD digest too short", "SHA256 (live.iso) = " + kMd5A, std::nullopt},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(digestsForIso(c.content, "live.iso", kSha256), c.digests) << c.what;
    }
    // The trail byte of a GBK character is no letter: B0 41 is not B0 61.
    EXPECT_EQ(digestsForIso(kA + "  \xB0\x61.ISO", "\xB0\x61.iso", kSha256),
              (Digests{{kSha256, kA}}));
    EXPECT_EQ(digestsForIso(kA + "  \xB0\x41.iso", "\xB0\x61.iso", kSha256), Digests{});
    const std::pair<const char*, std::optional<HashAlgorithm>> kNames[] = {
        {"LIVE.iso.md5", kMd5},  {"Live.ISO.SHA1", kSha1},
        {"sha256sums", kSha256}, {"debian.SHA256SUM", kSha256},
        {"other.iso.md5", {}},   {"live.iso", {}},
        {"SHA512SUMS", {}},      {"live.md5", {}},
        {".sha256sum", {}}};
    for (const auto& [name, algorithm] : kNames) {
        EXPECT_EQ(checksumFileAlgorithm(name, "live.iso"), algorithm) << name;
    }
}

// The folder of the ISO as a whole: the strongest digest wins, and what
// cannot be trusted is named.
TEST(ChecksumFile, FolderOfTheIso) {
    using Status = ChecksumLookup::Status;
    using Files = std::map<std::string, std::string>;
    const Files kTwoAlgorithms = {{"MD5SUMS", kMd5A + "  live.iso"},
                                  {"live.iso.sha256", kB + " *live.iso"}};
    const Files kDisagreeing = {{"SHA256SUMS", kA + "  live.iso"},
                                {"live.iso.sha256", kB + "  live.iso"}};
    const Files kAgreeing = {{"SHA256SUMS", kA + "  live.iso"},
                             {"live.iso.sha256", kA + " *live.iso"}};
    const struct {
        Status status;
        std::string digest;
        std::string file;  // the one named
        std::optional<sim::Op> fault;
        Files files;
    } kCases[] = {
        {Status::kNone, "", "", {}, {}},
        {Status::kNone, "", "", {}, {{"SHA256SUMS", kA + "  other.iso"}}},
        {Status::kFound, kB, "live.iso.sha256", {}, kTwoAlgorithms},
        {Status::kFound, kA, "x.sha256sum", {}, {{"x.sha256sum", kA + "  live.iso"}}},
        {Status::kMalformed, "", "live.iso.sha256", {}, kDisagreeing},
        {Status::kFound, kA, "SHA256SUMS", {}, kAgreeing},
        {Status::kMalformed, "", "MD5SUMS", {}, {{"MD5SUMS", "123  live.iso"}}},
        {Status::kUnreadable, "", "SHA1SUMS", sim::Op::kReadFile, {{"SHA1SUMS", "x"}}},
        {Status::kUnreadable, "", "SHA1SUMS", {}, {{"SHA1SUMS", std::string((4 << 20) + 1, 'x')}}},
        {Status::kUnreadable, "", "D:\\isos", sim::Op::kListDirectory, {}},
    };
    for (const auto& c : kCases) {
        sim::SimSystem sys;
        sys.mapDrive('D');
        sys.writeHostFile("D:\\isos\\live.iso", "iso");
        for (const auto& [name, content] : c.files) sys.writeHostFile("D:\\isos\\" + name, content);
        if (c.fault) sys.failOn(*c.fault);
        const ChecksumLookup found = findPublishedChecksum(sys, "D:\\isos\\live.iso");
        const std::string what = c.files.empty() ? "no file" : c.files.rbegin()->first;
        EXPECT_EQ(found.status, c.status) << what;
        EXPECT_EQ(found.hexDigest, c.digest) << what;
        EXPECT_EQ(found.checksumFile, c.file) << what;
    }
}

// The stream of members against the drive, fed in pieces that straddle the
// members' boundaries and in one piece; the first fault names its file.
TEST(ReadBack, StreamAgainstTheDrive) {
    using Status = ReadBack::Status;
    const std::string big = patterned(3584 * 1024);  // more reads of the drive than its ring holds
    // "k" was copied to "k2" as well; what "s" held was replaced by the program.
    const std::vector<StreamMember> kMembers = {{"a.txt", 5},           {"1", 1}, {"empty", 0},
                                                {"d\\big", big.size()}, {"z", 3}, {"k", 3, {"k2"}},
                                                {"s", 4, {}, false}};
    const std::string kStream = "hello1" + big + "xyzkkkSSSS";
    const std::string bigChanged = big.substr(0, big.size() - 1) + "!";
    const std::map<std::string, std::string> kOnDrive = {
        {"a.txt", "hello"}, {"1", "1"},   {"empty", ""}, {"d\\big", big},
        {"z", "xyz"},       {"k", "kkk"}, {"k2", "kkk"}, {"s", "new"}};
    const struct {
        const char* what;
        std::map<std::string, std::string> changed;  // on the drive; "-" removes the file
        std::string stream;
        ReadBack expected;
    } kCases[] = {
        {"all the same", {}, kStream, {Status::kSame, ""}},
        {"last byte changed", {{"d\\big", bigChanged}}, kStream, {Status::kDiffers, "d\\big"}},
        {"a file longer", {{"a.txt", "hello!"}}, kStream, {Status::kDiffers, "a.txt"}},
        {"a file shorter", {{"z", "xy"}}, kStream, {Status::kDiffers, "z"}},
        {"an empty file not empty", {{"empty", "x"}}, kStream, {Status::kDiffers, "empty"}},
        {"a file missing", {{"z", "-"}}, kStream, {Status::kUnreadable, "z"}},
        {"a copy changed", {{"k2", "kkx"}}, kStream, {Status::kDiffers, "k2"}},
        {"the stream short", {}, kStream.substr(0, 20), {Status::kStreamShort, "d\\big"}},
        {"the stream long", {}, kStream + "!", {Status::kStreamLong, ""}},
    };
    for (const auto& c : kCases) {
        for (const size_t piece : {size_t{7}, c.stream.size()}) {
            sim::SimSystem sys;
            sys.mapDrive('G');
            auto files = c.changed;
            files.insert(kOnDrive.begin(), kOnDrive.end());
            for (const auto& [name, bytes] : files) {
                if (bytes != "-") sys.writeHostFile("G:\\x\\" + name, bytes);
            }
            ReadBackComparer comparer(sys, "G:\\x", kMembers);  // the separator added
            bool going = true;
            for (size_t at = 0; going && at < c.stream.size(); at += piece) {
                going = comparer.feed(std::string_view(c.stream).substr(at, piece));
            }
            const ReadBack result = comparer.finish();
            const bool settledEarly =
                result.status != Status::kSame && result.status != Status::kStreamShort;
            EXPECT_EQ(going, !settledEarly) << c.what;
            EXPECT_EQ(result.status, c.expected.status) << c.what << ", pieces of " << piece;
            EXPECT_EQ(result.file, c.expected.file) << c.what;
        }
    }
}

// A listing without items is none (the procedures' own listings show the rest).
TEST(ReadBack, AListingWithoutItemsListsNothing) { EXPECT_FALSE(listedFiles("----------\r\n")); }

// An image made by xorriso as the project makes its test ISOs, from `files`
// (path, bytes); empty when xorriso is not there.
std::string madeIso(const std::map<std::string, std::string>& files, const std::string& options) {
    // A folder of its own: the plain and the sanitized suites run at once.
    std::string pattern = (std::filesystem::temp_directory_path() / "kh-extents-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return "";
    const std::filesystem::path folder = pattern;
    for (const auto& [name, bytes] : files) {
        std::filesystem::create_directories((folder / "tree" / name).parent_path());
        std::ofstream(folder / "tree" / name, std::ios::binary) << bytes;
    }
    const std::string command = "xorriso -as mkisofs -quiet " + options + " -o '" +
                                (folder / "i.iso").string() + "' '" + (folder / "tree").string() +
                                "' >/dev/null 2>&1";
    std::string iso = std::system(command.c_str()) == 0 ? test::fileBytes(folder / "i.iso") : "";
    std::filesystem::remove_all(folder);
    return iso;
}

const std::string kKernel = patterned(300000);
const std::string kImage = patterned(5000);
const std::map<std::string, std::string> kIsoTree = {
    {"LiveOS/squashfs.img", kImage}, {"isolinux/vmlinuz0", kKernel}, {"isolinux/empty", ""}};
// As 7-Zip lists them (letter case its own).
const std::vector<StreamMember> kListed = {
    {"LiveOS\\squashfs.img", 5000}, {"ISOLINUX\\VMLINUZ0", 300000}, {"isolinux\\empty", 0}};

// An image in memory, for sweeps too many for files.
class ImageReader : public ReadableFile {
  public:
    explicit ImageReader(std::string_view image) : image_(image) {}
    std::optional<size_t> read(char* buffer, size_t capacity) override {
        largestRead = std::max(largestRead, capacity);
        const size_t n = at_ < image_.size() ? image_.copy(buffer, capacity, at_) : 0;
        at_ += n;
        return n;
    }
    bool seek(uint64_t offset) override {
        at_ = offset;
        return true;
    }

    size_t largestRead = 0;

  private:
    std::string_view image_;
    uint64_t at_ = 0;
};

std::string bytesOf(const StreamMember& member) {
    return member.size == kKernel.size() ? kKernel : member.size == kImage.size() ? kImage : "";
}

// Members are found where the image holds their bytes; whatever is not plain
// gives nothing, so that 7-Zip streams them instead.
TEST(IsoExtents, MembersOfARealImage) {
    const std::string joliet = madeIso(kIsoTree, "-J -R");
    if (joliet.empty()) GTEST_SKIP() << "xorriso is not available";
    // The kernel's Joliet record: the flag of a file in several extents, an
    // interleaved file, a damaged record after it in its folder.
    const size_t kernel = joliet.find(std::string("\0v\0m\0l\0i", 8)) - 33;
    std::string severalExtents = joliet;
    severalExtents[kernel + 25] = '\x80';
    std::string interleaved = joliet;
    interleaved[kernel + 26] = 1;
    std::string damagedAfter = joliet;
    damagedAfter[kernel + static_cast<uint8_t>(joliet[kernel])] = 1;
    std::string damaged = joliet;
    damaged[16 * 2048 + 1] = 'X';
    auto spaced = kIsoTree;
    spaced["isolinux/boot menu~1.cfg"] = "";
    auto withSpace = kListed;
    withSpace.push_back({"isolinux\\boot menu~1.cfg", 0});
    auto foreign = kIsoTree;
    foreign["isolinux/caf\xC3\xA9.cfg"] = "x";
    const std::vector<StreamMember> kKernelOnly = {{"isolinux\\vmlinuz0", 300000}};
    const struct {
        const char* what;
        std::string iso;
        std::vector<StreamMember> members;
        bool found;
    } kCases[] = {
        {"Joliet names", joliet, kListed, true},
        {"primary names only", madeIso(kIsoTree, "-R"), kKernelOnly, true},
        {"a name with a space and a tilde", madeIso(spaced, "-J -R"), withSpace, true},
        {"a member not in the image", joliet, {{"isolinux\\vmlinuz1", 300000}}, false},
        {"a size other than listed", joliet, {{"isolinux\\vmlinuz0", 299999}}, false},
        {"a folder listed as a file", joliet, {{"isolinux", 0}}, false},
        {"a name beyond ASCII", madeIso(foreign, "-J -R"), kListed, false},
        {"a file in several extents", severalExtents, kListed, false},
        {"an interleaved file", interleaved, kListed, false},
        {"a damaged record after the member", damagedAfter, kKernelOnly, false},
        {"a damaged descriptor", damaged, kListed, false},
        {"the directories cut off", joliet.substr(0, 19 * 2048), kListed, false},
    };
    for (const auto& c : kCases) {
        sim::SimSystem sys;
        sys.mapDrive('D');
        sys.writeHostFile("D:\\live.iso", c.iso);
        const auto extents = isoExtents(sys, "D:\\live.iso", c.members);
        ASSERT_EQ(extents.has_value(), c.found) << c.what;
        for (size_t i = 0; c.found && i < c.members.size(); ++i) {
            EXPECT_EQ(c.iso.substr((*extents)[i].offset, (*extents)[i].size), bytesOf(c.members[i]))
                << c.what;
        }
    }
    // Each byte before the files' data damaged in turn: whatever is mapped,
    // nothing is read outside the records (the sanitizer build watches).
    std::string image = joliet;
    ImageReader reader(image);
    const auto good = isoExtents(reader, kListed);
    ASSERT_TRUE(good);
    const uint64_t data = std::min((*good)[0].offset, (*good)[1].offset);
    for (size_t at = 16 * 2048; at < data; ++at) {
        image[at] = static_cast<char>(~image[at]);
        isoExtents(reader, kListed);
        image[at] = joliet[at];
    }
    // A folder larger than any live system's is left to 7-Zip, not read into memory.
    std::string huge = joliet;
    // Its record in the root, not the path table: the name's length comes first.
    const size_t isolinux = huge.find(std::string("\x10\0i\0s\0o\0l", 9)) + 1 - 33;
    for (int i = 0; i < 4; ++i) huge[isolinux + 10 + i] = "\x00\x08\x00\x01"[i];  // 16 MiB + 2048
    ImageReader hugeReader(huge);
    EXPECT_FALSE(isoExtents(hugeReader, kListed));
    EXPECT_LE(hugeReader.largestRead, 16u << 20);
}

// The stick read back from the ISO's bytes where they lie, no 7-Zip started:
// one byte changed is found, a stop or an ISO cut short is never a success,
// and the percentage follows the bytes compared.
TEST(ReadBack, FromTheIsoItself) {
    using Status = StreamCheck::Status;
    const std::string iso = madeIso(kIsoTree, "-J -R");
    if (iso.empty()) GTEST_SKIP() << "xorriso is not available";
    std::string changed = kKernel;
    changed[123456] ^= 1;
    const struct {
        std::string kernel;
        bool stop;
        Status status;
        std::string file;
        size_t isoBytes = std::string::npos;  // the ISO cut after the mapping
    } kCases[] = {{kKernel, false, Status::kSame, ""},
                  {changed, false, Status::kDiffers, "ISOLINUX\\VMLINUZ0"},
                  {kKernel, true, Status::kStopped, ""},
                  {kKernel, false, Status::kUnverified, "", iso.size() / 2}};
    for (const auto& c : kCases) {
        sim::SimSystem sys;
        sim::SimUi ui(sys);
        SharedState state(sys, ui);
        sys.mapDrive('D');
        sys.mapDrive('G');
        sys.writeHostFile("D:\\live.iso", iso);
        for (const StreamMember& member : kListed) {
            sys.writeHostFile("G:\\" + member.name,
                              member.size == kKernel.size() ? c.kernel : bytesOf(member));
        }
        state.stopRequested = c.stop;
        StreamSource source{{}, {}, "G:", kListed, "D:\\live.iso", {}};
        source.extents = isoExtents(sys, source.isoPath, kListed);
        sys.writeHostFile("D:\\live.iso", iso.substr(0, c.isoBytes));
        std::string first;  // after the image's 5000 of 305000 bytes
        ui.duringWait = [&] { first = ui.control(ControlId::kStatusCopy).text; };
        const StreamCheck check = readBackStream(state, source, ControlId::kStatusCopy, "%d");
        EXPECT_EQ(check.status, c.status) << c.file;
        EXPECT_EQ(check.file, c.file);
        if (c.isoBytes == std::string::npos) {
            EXPECT_EQ(first, "1");
        }
    }
}

}  // namespace
}  // namespace kh::verify
