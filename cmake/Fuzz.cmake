# libFuzzer targets for the boot.ini and menu line rules, built with clang
# beside the main (gcc) build, and a short run of each registered as a test
# with the label "fuzz".
#
# clang 14 knows no -fexec-charset but UTF-8, so the fuzzed sources are
# compiled with UTF-8 literals; the targets check only properties that do not
# depend on the encoding of the Chinese menu title.

find_program(KH_CLANGXX NAMES clang++-14 clang++)
if(NOT KH_CLANGXX)
    message(STATUS "clang++ not found: fuzz targets not built")
    return()
endif()

set(KH_FUZZ_RUNS 20000 CACHE STRING "Executions of each fuzz target in its test")
set(_kh_fuzz_dir "${CMAKE_BINARY_DIR}/fuzz")
set(_kh_fuzz_src "${PROJECT_SOURCE_DIR}/tests/fuzz")
set(_kh_fuzz_flags -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined
    -fno-sanitize-recover=all -Wall -Wextra -Werror -finput-charset=UTF-8
    -I${PROJECT_SOURCE_DIR})
set(_kh_fuzz_headers "${_kh_fuzz_src}/properties.h"
    "${PROJECT_SOURCE_DIR}/hdinstall/bootini_rules.h"
    "${PROJECT_SOURCE_DIR}/hdinstall/menu_entry.h"
    "${PROJECT_SOURCE_DIR}/common/live_iso.h"
    "${PROJECT_SOURCE_DIR}/common/texts.h"
    "${PROJECT_SOURCE_DIR}/common/texts.def"
    "${PROJECT_SOURCE_DIR}/platform/gbk_path.h")

# name  seed corpus  property  core sources
set(_kh_fuzz_targets
    "bootini_add bootini checkBootIniAdd hdinstall/bootini_rules.cpp"
    "bootini_remove bootini checkBootIniRemove hdinstall/bootini_rules.cpp"
    "menu_insert menu checkMenuInsert hdinstall/bootini_rules.cpp,hdinstall/menu_entry.cpp")

set(_kh_fuzz_binaries "")
foreach(_kh_spec IN LISTS _kh_fuzz_targets)
    separate_arguments(_kh_parts UNIX_COMMAND "${_kh_spec}")
    list(GET _kh_parts 0 _kh_name)
    list(GET _kh_parts 1 _kh_seeds)
    list(GET _kh_parts 2 _kh_property)
    list(GET _kh_parts 3 _kh_core)
    string(REPLACE "," ";" _kh_core "${_kh_core}")
    list(TRANSFORM _kh_core PREPEND "${PROJECT_SOURCE_DIR}/")
    set(_kh_binary "${_kh_fuzz_dir}/fuzz_${_kh_name}")

    add_custom_command(
        OUTPUT "${_kh_binary}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${_kh_fuzz_dir}/work_${_kh_name}"
        COMMAND ${KH_CLANGXX} ${_kh_fuzz_flags} -DKH_FUZZ_PROPERTY=${_kh_property}
                "${_kh_fuzz_src}/fuzz_target.cpp" ${_kh_core} -o "${_kh_binary}"
        DEPENDS "${_kh_fuzz_src}/fuzz_target.cpp" ${_kh_core} ${_kh_fuzz_headers}
        COMMENT "Building fuzz target ${_kh_name}"
        VERBATIM)
    list(APPEND _kh_fuzz_binaries "${_kh_binary}")

    # New inputs go to the work corpus in the build tree, never to the seeds.
    add_test(NAME fuzz_${_kh_name}
             COMMAND "${_kh_binary}" -runs=${KH_FUZZ_RUNS} -max_total_time=15
                     -artifact_prefix=${_kh_fuzz_dir}/
                     "${_kh_fuzz_dir}/work_${_kh_name}" "${_kh_fuzz_src}/corpus/${_kh_seeds}")
    set_tests_properties(fuzz_${_kh_name} PROPERTIES LABELS fuzz TIMEOUT 60)
endforeach()

add_custom_target(fuzz_targets ALL DEPENDS ${_kh_fuzz_binaries})
