# Cross build for 32-bit Windows: the shipped executable.
set(KH_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
