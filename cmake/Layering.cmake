# The modules form a tree: each folder includes only itself and the folders
# below it. Checked at configure time, so that an include that points up or
# sideways fails the build before any code is compiled.
#
#   app, app/win32 -> hdinstall, usbmedia -> payloads, verify -> common -> platform
#   platform/sim, platform/win32 -> platform
#
# A unit is a folder of the source tree; an include "a/b/c.h" names the unit
# "a/b", an include "a/c.h" the unit "a".

set(_kh_below_platform platform)
set(_kh_below_platform/sim platform/sim platform)
set(_kh_below_platform/win32 platform/win32 platform)
set(_kh_below_common common platform)
set(_kh_below_payloads payloads common platform)
set(_kh_below_verify verify common platform)
set(_kh_below_hdinstall hdinstall payloads verify common platform)
set(_kh_below_usbmedia usbmedia payloads verify common platform)
set(_kh_below_app app hdinstall usbmedia payloads verify common platform)
set(_kh_below_app/win32 app/win32 app hdinstall usbmedia payloads verify common platform
    platform/win32)

set(_kh_layering_units platform platform/sim platform/win32 common payloads verify hdinstall usbmedia
    app app/win32)

function(kh_check_layering)
    set(_violations "")
    foreach(_unit IN LISTS _kh_layering_units)
        file(GLOB _files CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${_unit}/*.h"
             "${PROJECT_SOURCE_DIR}/${_unit}/*.cpp")
        foreach(_file IN LISTS _files)
            file(STRINGS "${_file}" _includes REGEX "^#include \"[^\"]+/[^\"]+\"")
            foreach(_line IN LISTS _includes)
                string(REGEX REPLACE "^#include \"([^\"]+)/[^/\"]+\".*" "\\1" _included "${_line}")
                if(NOT _included IN_LIST _kh_below_${_unit})
                    file(RELATIVE_PATH _shown "${PROJECT_SOURCE_DIR}" "${_file}")
                    list(APPEND _violations "${_shown}: ${_line}")
                endif()
            endforeach()
        endforeach()
    endforeach()
    if(_violations)
        list(JOIN _violations "\n  " _text)
        message(FATAL_ERROR "Includes that point up or sideways in the module tree:\n  ${_text}")
    endif()
endfunction()

kh_check_layering()
