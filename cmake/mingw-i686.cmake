# Cross-compiling the shipped programs for 32-bit Windows with Debian's MinGW-w64, "win32"
# thread model: the "posix" one links winpthreads, whose imports Windows 95 to XP lack.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Code for the 486DX, the oldest processor Windows 98 starts on: Debian's compiler makes
# Pentium Pro code (cmov, fcomi), and so is its prebuilt runtime. The runtime (start-up
# objects, libmingw32/libmingwex/libmsvcrt, libgcc, libstdc++) is rebuilt for the 486 by
# scripts/bootstrap into build/deps/mingw-i486, which -B puts ahead of Debian's. The test
# runner (mingw-i686-posix.cmake) keeps Debian's runtime.
if(NOT TASTAVIA_DEBIAN_RUNTIME)
  get_filename_component(TASTAVIA_I486_RUNTIME "${CMAKE_CURRENT_LIST_DIR}/../build/deps/mingw-i486"
                         ABSOLUTE)
  if(NOT EXISTS "${TASTAVIA_I486_RUNTIME}/lib/crt2.o")
    message(FATAL_ERROR "${TASTAVIA_I486_RUNTIME} is missing: run scripts/bootstrap")
  endif()
  set(CMAKE_C_FLAGS_INIT "-march=i486 -mtune=generic")
  set(CMAKE_CXX_FLAGS_INIT "-march=i486 -mtune=generic")
  # Small code rather than fast: the program waits for the user, and what we ship stays
  # under 1 MB with all its templates and pictures inside.
  set(CMAKE_C_FLAGS_RELWITHDEBINFO "-Os -g -DNDEBUG" CACHE STRING "")
  set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-Os -g -DNDEBUG" CACHE STRING "")
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-B${TASTAVIA_I486_RUNTIME}/lib/")
  set(CMAKE_SHARED_LINKER_FLAGS_INIT "-B${TASTAVIA_I486_RUNTIME}/lib/")
endif()
