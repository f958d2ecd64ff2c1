// The checksum published next to an ISO: which files may hold it, how their
// lines read, and what they say about this one ISO.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system.h"
#include "verify/digest.h"

namespace kh::verify {

// What the checksum files next to the ISO say about it.
struct ChecksumLookup {
    enum class Status {
        kNone,        // no checksum file names the ISO: nothing to check
        kFound,       // `algorithm` and `hexDigest` are what the ISO must hash to
        kUnreadable,  // `checksumFile` could not be read (or the folder not listed)
        kMalformed,   // `checksumFile` names the ISO in a line that cannot be trusted
    };
    Status status = Status::kNone;
    HashAlgorithm algorithm = HashAlgorithm::kSha256;
    std::string hexDigest;     // lower case
    std::string checksumFile;  // the file's name as listed, without the folder
};

// The algorithm that the plain lines of a file of this name carry, when the
// name is one a checksum for `isoName` may have: <iso>.md5, <iso>.sha1,
// <iso>.sha256, MD5SUMS, SHA1SUMS, SHA256SUMS, *.sha256sum (any letter case).
std::optional<HashAlgorithm> checksumFileAlgorithm(const std::string& fileName,
                                                   const std::string& isoName);

// What one checksum file says about `isoName`: the digest per algorithm, or
// nothing when a line naming the ISO is broken or two lines disagree. Lines
// about other files are ignored, whatever they hold. Both the GNU form
// ("HASH  name", "HASH *name") and the BSD form ("SHA256 (name) = HASH") are
// read; a GNU line's digest must have the length of `plainAlgorithm`.
std::optional<std::map<HashAlgorithm, std::string>> digestsForIso(std::string_view content,
                                                                  const std::string& isoName,
                                                                  HashAlgorithm plainAlgorithm);

// Looks next to `isoPath` for checksum files and takes the strongest digest
// they offer for it. A file that cannot be read, or a digest that two files
// give differently, is reported rather than passed over.
ChecksumLookup findPublishedChecksum(SystemServices& system, const std::string& isoPath);

}  // namespace kh::verify
