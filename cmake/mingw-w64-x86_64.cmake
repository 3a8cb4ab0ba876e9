# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix, zlib
# from libz-mingw-w64-dev). Everything is linked statically: the program needs no DLL beyond
# the ones Windows itself ships.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLTURN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLTURN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLTURN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLTURN_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLTURN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libz.a, not the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run the programs through Wine.
find_program(QUILLTURN_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUILLTURN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEDEBUG=-all ${QUILLTURN_WINE})
endif()
