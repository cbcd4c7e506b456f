# Cross-compiling the Windows test runner with MinGW-w64's "posix" thread model, which
# GoogleTest needs, and Debian's own runtime. Never for the shipped programs (see
# mingw-i686.cmake).
set(TASTAVIA_DEBIAN_RUNTIME ON)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
