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

# The portable core: everything that decides what the program does.
file(GLOB KH_CORE_SOURCES CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/app/*.cpp
    ${PROJECT_SOURCE_DIR}/hdinstall/*.cpp
    ${PROJECT_SOURCE_DIR}/usbmedia/*.cpp
    ${PROJECT_SOURCE_DIR}/payloads/*.cpp)
