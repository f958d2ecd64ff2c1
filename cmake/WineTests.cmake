# The Windows executables under Wine, driven through tests/wine/guihelper.
# Every script makes its own prefix, work directory and Xvfb display, so they
# may run in parallel. Screenshots land in build/screenshots.
#
# Where this machine cannot execute i386 code (KH_WINE_ARCH win64), the flows
# run the 64-bit test twin (build/win64, its payloads in build/payloads-win64)
# under wine64; the checks of the shipped file still read the 32-bit one.
set(KH_SCREENSHOT_DIR "${PROJECT_SOURCE_DIR}/build/screenshots")
if(KH_WINE_ARCH STREQUAL "win64")
    set(_kh_wine_exe_dir "${KH_WIN64_DIR}")
    set(_kh_wine_payloads "${KH_TWIN_PAYLOAD_DIR}")
else()
    set(_kh_wine_exe_dir "${KH_WIN32_DIR}")
    set(_kh_wine_payloads "${KH_PAYLOAD_DIR}")
endif()
set(_kh_wine_tests "${PROJECT_SOURCE_DIR}/tests/wine")

# kh_wine_test(NAME TIMEOUT ARGS...): tests/wine/NAME_test.sh ARGS under the chosen Wine.
# 77 is the skip of a check that needs i386 code on a machine that cannot run it.
function(kh_wine_test name timeout)
    add_test(NAME wine_${name} COMMAND bash "${_kh_wine_tests}/${name}_test.sh" ${ARGN})
    set_tests_properties(wine_${name} PROPERTIES LABELS wine TIMEOUT ${timeout}
        SKIP_RETURN_CODE 77
        ENVIRONMENT
        "KH_WINE_ARCH=${KH_WINE_ARCH};KH_PAYLOAD_DIR=${_kh_wine_payloads};KH_TEXTS=${KH_TEXTS_SH}")
endfunction()

kh_wine_test(window 180 "${_kh_wine_exe_dir}" "${KH_SCREENSHOT_DIR}")
kh_wine_test(usb_media 300 "${_kh_wine_exe_dir}" "${KH_SCREENSHOT_DIR}")
kh_wine_test(hd_install 300 "${_kh_wine_exe_dir}" "${KH_SCREENSHOT_DIR}")
# The shipped file's resources, read by the helper of the Wine in use.
kh_wine_test(resources 120 "${_kh_wine_exe_dir}" "${KH_WIN32_DIR}/KorvaneHelper.exe"
             "${KH_PAYLOAD_DIR}")
# The shipped 32-bit tools themselves.
kh_wine_test(payload_tools 120 "${KH_PAYLOAD_DIR}")

# The shipped files' headers and imports, and the executable's version: read without running them.
add_test(NAME win32_pe_imports
         COMMAND bash ${_kh_wine_tests}/pe_imports_test.sh ${KH_WIN32_DIR}/KorvaneHelper.exe
                 ${KH_PAYLOAD_DIR}/7z.exe ${KH_PAYLOAD_DIR}/7z.dll ${KH_PAYLOAD_DIR}/syslinux.exe)
set_tests_properties(win32_pe_imports PROPERTIES LABELS "wine;win32")

# `make run` as a user without a display starts it: the window shows, is photographed and closed
# by its close box, and the script returns. A hang or a missing helper command fails here.
add_test(NAME wine_run
         COMMAND env -u DISPLAY "KH_RUN_SCREENSHOT=${KH_SCREENSHOT_DIR}/run-test.png"
                 "${PROJECT_SOURCE_DIR}/scripts/run-wine" "${_kh_wine_exe_dir}/KorvaneHelper.exe")
set_tests_properties(wine_run PROPERTIES LABELS wine TIMEOUT 240
    ENVIRONMENT "KH_WINE_ARCH=${KH_WINE_ARCH}")
