// The files carried inside the executable as "RC_DATA" resources, by number
// (listed in catalogue.def).
#pragma once

namespace kh::payloads {

enum ResourceId : int {
#define KH_PAYLOAD(id, enumerator, fileName, whenEmbedded) enumerator = id,
#include "payloads/catalogue.def"
#undef KH_PAYLOAD
};

constexpr int kIconGroup = 101;

}  // namespace kh::payloads
