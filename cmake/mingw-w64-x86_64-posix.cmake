# Cross compilation for 64-bit Windows with MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
# The -posix names: the plain names are alternatives that may point elsewhere.
set(CMAKE_C_COMPILER /usr/bin/${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/${MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
