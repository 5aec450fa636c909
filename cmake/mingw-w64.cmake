# Cross-building the core, torvanectl and their tests for 64-bit Windows with
# Debian's MinGW-w64 (the POSIX-threads flavour, for std::thread), run under
# Wine (scripts/windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TORVANE_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TORVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TORVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TORVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TORVANE_MINGW_PREFIX} ${TORVANE_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry the compiler's runtime in themselves, so Wine needs no
# DLL path to the MinGW folders.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
