# Settings shared by the native and the Windows builds.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

# The payload files both builds use: the native build makes them, the Windows
# build embeds them.
set(KH_PAYLOAD_DIR "${PROJECT_SOURCE_DIR}/build/payloads" CACHE PATH "Built payload files")

# Sources are UTF-8; every narrow literal becomes GBK, the program's code page.
add_compile_options(
    $<$<COMPILE_LANGUAGE:CXX>:-Wall>
    $<$<COMPILE_LANGUAGE:CXX>:-Wextra>
    $<$<COMPILE_LANGUAGE:CXX>:-Werror>
    $<$<COMPILE_LANGUAGE:CXX>:-finput-charset=UTF-8>
    $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=GBK>)

include(cmake/Layering.cmake)

# The portable core: everything that decides what the program does, one static
# library per folder, each linked to the ones below it only. kh_platform is the
# two seams (system.h, ui.h); the simulated and the real Windows implement them.
add_library(kh_platform INTERFACE)
target_include_directories(kh_platform INTERFACE ${PROJECT_SOURCE_DIR})
kh_unit(platform)

# kh_module(NAME FOLDER BELOW...): the static library of FOLDER's sources,
# linked to the modules BELOW; FOLDER may include only those and what lies
# below them.
function(kh_module name folder)
    file(GLOB _sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
    add_library(${name} STATIC ${_sources})
    target_link_libraries(${name} PUBLIC ${ARGN})
    set_property(GLOBAL PROPERTY KH_FOLDER_OF_${name} ${folder})
    set(_folders "")
    foreach(_module IN LISTS ARGN)
        get_property(_folder GLOBAL PROPERTY KH_FOLDER_OF_${_module})
        list(APPEND _folders ${_folder})
    endforeach()
    kh_unit(${folder} ${_folders})
endfunction()
set_property(GLOBAL PROPERTY KH_FOLDER_OF_kh_platform platform)

kh_module(kh_common common kh_platform)
kh_module(kh_payloads payloads kh_common)
kh_module(kh_verify verify kh_common)
# The ISO is hashed at the speed of the disk; the size-optimised Windows build
# would halve that.
target_compile_options(kh_verify PRIVATE $<$<CONFIG:MinSizeRel>:-O2>)
kh_module(kh_hdinstall hdinstall kh_payloads)
kh_module(kh_usbmedia usbmedia kh_payloads)
kh_module(kh_app app kh_hdinstall kh_usbmedia)

# The two implementations of the seams, and the window's shell: built by the
# native or the Windows build only, but checked in both.
kh_unit(platform/sim platform)
kh_unit(platform/win32 platform)
kh_unit(app/win32 app platform/win32)
kh_check_layering()
