# Host build: the portable core with the simulated Windows, and the tests.
option(KH_SANITIZE "Build the tests with AddressSanitizer and UBSan" OFF)
set(KH_WIN32_DIR "${PROJECT_SOURCE_DIR}/build/win32" CACHE PATH "Windows build directory")
set(KH_ASAN_DIR "${PROJECT_SOURCE_DIR}/build/asan" CACHE PATH "Sanitizer build directory")
set(KH_WIN64_DIR "${PROJECT_SOURCE_DIR}/build/win64" CACHE PATH "Test twin build directory")
set(KH_TWIN_PAYLOAD_DIR "${PROJECT_SOURCE_DIR}/build/payloads-win64" CACHE PATH
    "Payload files of the test twin")
# Which Wine runs the Wine tests: win32 (the shipped executable) or win64 (the 64-bit test twin, on
# machines that cannot execute i386 code). Empty: scripts/wine-arch decides.
set(KH_WINE_ARCH "" CACHE STRING "win32 or win64; empty: decided by scripts/wine-arch")
if(NOT KH_WINE_ARCH)
    execute_process(COMMAND "${PROJECT_SOURCE_DIR}/scripts/wine-arch" OUTPUT_VARIABLE KH_WINE_ARCH
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()

if(KH_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

file(GLOB KH_SIM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/sim/*.cpp)
add_library(kh_sim STATIC ${KH_SIM_SOURCES})
target_link_libraries(kh_sim PUBLIC kh_platform)

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB KH_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/*.cpp
     ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
add_executable(kh_tests ${KH_TEST_SOURCES})
target_link_libraries(kh_tests PRIVATE kh_app kh_verify kh_sim GTest::gtest GTest::gtest_main)
target_compile_definitions(kh_tests PRIVATE KH_PAYLOAD_DIR="${KH_PAYLOAD_DIR}"
                                            KH_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

if(KH_SANITIZE)
    return()  # the sanitizer build only provides kh_tests, run from the main build
endif()

# The ISO check's hashing speed, for comparing with sha256sum on the same file.
add_executable(kh_hashbench ${PROJECT_SOURCE_DIR}/bench/hashbench.cpp)
target_link_libraries(kh_hashbench PRIVATE kh_verify)
# make bench: the read-back of an extracted ISO against the ISO's bytes.
add_executable(kh_readbench ${PROJECT_SOURCE_DIR}/bench/readbench.cpp)
target_link_libraries(kh_readbench PRIVATE kh_verify kh_sim)

gtest_discover_tests(kh_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)

add_test(NAME sanitized_unit_tests COMMAND ${KH_ASAN_DIR}/kh_tests --gtest_brief=1)
set_tests_properties(sanitized_unit_tests PROPERTIES LABELS asan)

# The texts as shell variables (KH_TEXT_<id>, UTF-8) for the Wine tests.
add_executable(kh_texts_sh ${PROJECT_SOURCE_DIR}/common/tools/texts_sh.cpp)
target_link_libraries(kh_texts_sh PRIVATE kh_platform)
target_compile_options(kh_texts_sh PRIVATE -fexec-charset=UTF-8)
set(KH_TEXTS_SH "${CMAKE_BINARY_DIR}/texts.sh")
add_custom_command(OUTPUT "${KH_TEXTS_SH}" COMMAND kh_texts_sh "${KH_TEXTS_SH}"
                   DEPENDS kh_texts_sh ${PROJECT_SOURCE_DIR}/common/texts.def VERBATIM)
add_custom_target(kh_texts ALL DEPENDS "${KH_TEXTS_SH}")

foreach(part Payloads Fuzz WineTests BootTests)
    if(EXISTS "${PROJECT_SOURCE_DIR}/cmake/${part}.cmake")
        include(cmake/${part}.cmake)
    endif()
endforeach()
