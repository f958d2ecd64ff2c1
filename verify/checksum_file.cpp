#include "verify/checksum_file.h"

#include <algorithm>
#include <vector>

#include "platform/gbk_path.h"

namespace kh::verify {

namespace {

// Checksum files are a few lines per ISO; one beyond this is not one.
constexpr size_t kMaxChecksumFileBytes = 4 * 1024 * 1024;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool endsWithName(std::string_view name, std::string_view suffix) {
    return name.size() > suffix.size() &&
           sameFileName(name.substr(name.size() - suffix.size()), suffix);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool isHex(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (lower(c) >= 'a' && lower(c) <= 'f');
    });
}

std::string lowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = lower(c);
    return result;
}

std::optional<HashAlgorithm> algorithmOfTag(std::string_view tag) {
    for (const auto algorithm :
         {HashAlgorithm::kMd5, HashAlgorithm::kSha1, HashAlgorithm::kSha256}) {
        if (sameFileName(tag, algorithmName(algorithm))) return algorithm;
    }
    return std::nullopt;
}

// One line that may be about the ISO: the name it gives, the digest and the
// algorithm that digest must be of (none for a BSD tag this program does not
// compute, such as SHA512).
struct ChecksumLine {
    std::string_view name;
    std::string_view digest;
    std::optional<HashAlgorithm> algorithm;
};

// "TAG (name) = HASH", also without the blanks around the parenthesis and
// the equals sign as some tools write it.
std::optional<ChecksumLine> parseBsdLine(std::string_view line) {
    const size_t open = line.find('(');
    const size_t equals = line.rfind('=');
    if (open == std::string_view::npos || equals == std::string_view::npos || equals < open) {
        return std::nullopt;
    }
    const std::string_view tag = trimmed(line.substr(0, open));
    const std::string_view beforeEquals = trimmed(line.substr(open + 1, equals - open - 1));
    if (tag.empty() || tag.find_first_of(" \t") != std::string_view::npos || beforeEquals.empty() ||
        beforeEquals.back() != ')') {
        return std::nullopt;
    }
    return ChecksumLine{beforeEquals.substr(0, beforeEquals.size() - 1),
                        trimmed(line.substr(equals + 1)), algorithmOfTag(tag)};
}

// "HASH  name" (text mode) or "HASH *name" (binary mode).
ChecksumLine parseGnuLine(std::string_view line, HashAlgorithm plainAlgorithm) {
    const size_t blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos) return {{}, line, plainAlgorithm};
    std::string_view name = line.substr(blank + 1);
    if (!name.empty() && (name.front() == '*' || name.front() == ' ')) name.remove_prefix(1);
    return {name, line.substr(0, blank), plainAlgorithm};
}

bool namesIso(std::string_view listed, const std::string& isoName) {
    listed = trimmed(listed);
    if (listed.substr(0, 2) == "./" || listed.substr(0, 2) == ".\\") listed.remove_prefix(2);
    return sameFileName(listed, isoName);
}

ChecksumLookup problemWith(ChecksumLookup::Status status, std::string file) {
    ChecksumLookup lookup;
    lookup.status = status;
    lookup.checksumFile = std::move(file);
    return lookup;
}

}  // namespace

std::optional<HashAlgorithm> checksumFileAlgorithm(const std::string& fileName,
                                                   const std::string& isoName) {
    static const struct {
        const char* suffix;  // after the ISO's name
        const char* listName;
        HashAlgorithm algorithm;
    } kNames[] = {{".md5", "MD5SUMS", HashAlgorithm::kMd5},
                  {".sha1", "SHA1SUMS", HashAlgorithm::kSha1},
                  {".sha256", "SHA256SUMS", HashAlgorithm::kSha256}};
    for (const auto& known : kNames) {
        if (sameFileName(fileName, isoName + known.suffix) ||
            sameFileName(fileName, known.listName)) {
            return known.algorithm;
        }
    }
    if (endsWithName(fileName, ".sha256sum")) return HashAlgorithm::kSha256;
    return std::nullopt;
}

std::optional<std::map<HashAlgorithm, std::string>> digestsForIso(std::string_view content,
                                                                  const std::string& isoName,
                                                                  HashAlgorithm plainAlgorithm) {
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);  // a UTF-8 mark
    std::map<HashAlgorithm, std::string> digests;
    while (!content.empty()) {
        const size_t end = std::min(content.find('\n'), content.size());
        std::string_view line = trimmed(content.substr(0, end));
        content.remove_prefix(std::min(end + 1, content.size()));
        if (!line.empty() && line.back() == '\r') line = trimmed(line.substr(0, line.size() - 1));
        if (line.empty() || line.front() == '#') continue;

        const auto parsed = parseBsdLine(line).value_or(parseGnuLine(line, plainAlgorithm));
        if (!namesIso(parsed.name, isoName) || !parsed.algorithm) continue;
        if (!isHex(parsed.digest) || parsed.digest.size() != hexDigestLength(*parsed.algorithm)) {
            return std::nullopt;
        }
        const auto [it, added] = digests.emplace(*parsed.algorithm, lowerCase(parsed.digest));
        if (!added && it->second != lowerCase(parsed.digest)) return std::nullopt;
    }
    return digests;
}

ChecksumLookup findPublishedChecksum(SystemServices& system, const std::string& isoPath) {
    using Status = ChecksumLookup::Status;
    const std::string folder = directoryOf(isoPath);
    const std::string isoName = fileNameOf(isoPath);
    auto names = system.listDirectory(folder);
    if (!names) return problemWith(Status::kUnreadable, folder);
    // The same answer whatever order the system lists the folder in.
    std::sort(names->begin(), names->end());

    ChecksumLookup best;
    std::map<HashAlgorithm, std::string> seen;
    for (const std::string& name : *names) {
        const auto plainAlgorithm = checksumFileAlgorithm(name, isoName);
        if (!plainAlgorithm) continue;
        const FileContent file = system.readFile(folder + "\\" + name, kMaxChecksumFileBytes);
        if (file.status != FileContent::Status::kOk) return problemWith(Status::kUnreadable, name);
        const auto digests = digestsForIso(file.bytes, isoName, *plainAlgorithm);
        if (!digests) return problemWith(Status::kMalformed, name);
        for (const auto& [algorithm, digest] : *digests) {
            const auto [it, added] = seen.emplace(algorithm, digest);
            if (!added && it->second != digest) return problemWith(Status::kMalformed, name);
            if (best.status == Status::kNone || algorithm > best.algorithm) {
                best = {Status::kFound, algorithm, digest, name};
            }
        }
    }
    return best;
}

}  // namespace kh::verify
