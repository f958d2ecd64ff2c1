# The Windows executables under Wine, driven through tests/wine/guihelper.
# Every script makes its own prefix, work directory and Xvfb display, so they
# may run in parallel. Screenshots land in build/screenshots.
set(KH_SCREENSHOT_DIR "${PROJECT_SOURCE_DIR}/build/screenshots")

foreach(name window drive_list restore_look startup_failure commands ok_without_iso large_disk)
    add_test(NAME wine_${name}
             COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/${name}_test.sh ${KH_WIN32_DIR}
                     ${KH_SCREENSHOT_DIR})
    set_tests_properties(wine_${name} PROPERTIES LABELS wine TIMEOUT 120)
endforeach()

add_test(NAME win32_pe_imports
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/pe_imports_test.sh
                 ${KH_WIN32_DIR}/KorvaneHelper.exe)
set_tests_properties(win32_pe_imports PROPERTIES LABELS "wine;win32")

add_test(NAME wine_usb_media
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/usb_media_test.sh ${KH_WIN32_DIR}
                 ${KH_SCREENSHOT_DIR})
set_tests_properties(wine_usb_media PROPERTIES LABELS wine TIMEOUT 300
                     ENVIRONMENT "KH_PAYLOAD_DIR=${KH_PAYLOAD_DIR}")

add_test(NAME wine_hd_install
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/hd_install_test.sh ${KH_WIN32_DIR}
                 ${KH_SCREENSHOT_DIR})
set_tests_properties(wine_hd_install PROPERTIES LABELS wine TIMEOUT 300
                     ENVIRONMENT "KH_PAYLOAD_DIR=${KH_PAYLOAD_DIR}")

add_test(NAME wine_resources
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/resources_test.sh ${KH_WIN32_DIR}
                 ${KH_PAYLOAD_DIR})
set_tests_properties(wine_resources PROPERTIES LABELS wine TIMEOUT 120)

add_test(NAME wine_payload_tools
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/payload_tools_test.sh ${KH_PAYLOAD_DIR}
                 ${CMAKE_BINARY_DIR}/wine-payload-prefix)
set_tests_properties(wine_payload_tools PROPERTIES LABELS wine TIMEOUT 120)
