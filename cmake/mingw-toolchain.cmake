# Cross build for Windows with MinGW-w64; included by the toolchain file of each architecture
# after it has set KH_MINGW_ARCH (i686 for the product, x86_64 for the test twin).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KH_MINGW_ARCH})
set(CMAKE_C_COMPILER ${KH_MINGW_ARCH}-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER ${KH_MINGW_ARCH}-w64-mingw32-g++)
set(CMAKE_RC_COMPILER ${KH_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KH_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
