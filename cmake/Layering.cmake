# The modules form a tree: each folder includes only itself and the folders
# below it. Checked at configure time, so that an include that points up or
# sideways fails the build before any code is compiled. The tree is the one the
# modules are declared with (kh_module in cmake/Common.cmake); the folders that
# are no module of the core say what lies below them with kh_unit.
#
# A unit is a folder of the source tree; an include "a/b/c.h" names the unit
# "a/b", an include "a/c.h" the unit "a".

# kh_unit(FOLDER BELOW...): FOLDER may include itself, the units BELOW and
# whatever lies below those.
function(kh_unit folder)
    set(_below ${folder})
    foreach(_unit IN LISTS ARGN)
        get_property(_further GLOBAL PROPERTY KH_BELOW_${_unit})
        list(APPEND _below ${_unit} ${_further})
    endforeach()
    list(REMOVE_DUPLICATES _below)
    set_property(GLOBAL PROPERTY KH_BELOW_${folder} ${_below})
    set_property(GLOBAL APPEND PROPERTY KH_UNITS ${folder})
endfunction()

function(kh_check_layering)
    set(_violations "")
    get_property(_units GLOBAL PROPERTY KH_UNITS)
    foreach(_unit IN LISTS _units)
        get_property(_allowed GLOBAL PROPERTY KH_BELOW_${_unit})
        file(GLOB _files CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${_unit}/*.h"
             "${PROJECT_SOURCE_DIR}/${_unit}/*.cpp")
        foreach(_file IN LISTS _files)
            file(STRINGS "${_file}" _includes REGEX "^#include \"[^\"]+/[^\"]+\"")
            foreach(_line IN LISTS _includes)
                string(REGEX REPLACE "^#include \"([^\"]+)/[^/\"]+\".*" "\\1" _included "${_line}")
                if(NOT _included IN_LIST _allowed)
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

