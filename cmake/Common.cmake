# Settings shared by the native and the Windows builds.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

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

function(kh_module name folder)
    file(GLOB _sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
    add_library(${name} STATIC ${_sources})
    target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

kh_module(kh_common common kh_platform)
kh_module(kh_payloads payloads kh_common)
kh_module(kh_verify verify kh_common)
# The ISO is hashed at the speed of the disk; the size-optimised Windows build
# would halve that.
target_compile_options(kh_verify PRIVATE $<$<CONFIG:MinSizeRel>:-O2>)
kh_module(kh_hdinstall hdinstall kh_payloads)
kh_module(kh_usbmedia usbmedia kh_payloads)
kh_module(kh_app app kh_hdinstall kh_usbmedia)
