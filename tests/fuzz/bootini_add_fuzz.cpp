// Adding the boot entry to arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kh::fuzz::checkBootIniAdd(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
