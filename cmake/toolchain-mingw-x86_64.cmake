# Cross build for 64-bit Windows: the test twin, for machines that cannot run i386 code.
set(KH_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
