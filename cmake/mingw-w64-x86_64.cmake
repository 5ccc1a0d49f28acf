# Cross-build for Windows x64 with the posix-thread mingw-w64 toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SYLVANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${SYLVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SYLVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${SYLVANE_MINGW_PREFIX}-windres)

# The second root holds what scripts/setup.sh builds for the cross target (libpng).
set(CMAKE_FIND_ROOT_PATH /usr/${SYLVANE_MINGW_PREFIX} /usr/local/${SYLVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run under Wine with a prefix private to the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
