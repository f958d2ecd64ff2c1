// A libFuzzer target for one property of tests/fuzz/properties.h, named by
// KH_FUZZ_PROPERTY at compile time.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kh::fuzz::KH_FUZZ_PROPERTY(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
