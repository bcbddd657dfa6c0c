# CMake toolchain file: 64-bit Windows programs cross-built with Debian's mingw-w64 (posix threads), linked statically and run under Wine.
#
# Cache variables a build may set:
#   LETTERLOOM_WINDOWS_DEPS  install prefix of the static third-party libraries that
#                            tools/windows-deps builds (default: build-windows/deps/prefix)
#   LETTERLOOM_WINEPREFIX    the Wine prefix tests run in (default: <build folder>/wine); it is
#                            set here so no Wine prefix is ever made in the home folder. Wine's
#                            server sockets go to tmp/ beside it (TMPDIR), not to /tmp.
# zlib comes from Debian's libz-mingw-w64-dev in /usr/x86_64-w64-mingw32.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_letterloom_host x86_64-w64-mingw32)

# The posix variants, never the win32 ones: only they have std::thread and std::mutex. Named
# here so the machine's alternatives for the unsuffixed names stay as they are.
set(CMAKE_C_COMPILER ${_letterloom_host}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_letterloom_host}-g++-posix)
set(CMAKE_RC_COMPILER ${_letterloom_host}-windres)

get_filename_component(_letterloom_deps "${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps/prefix" ABSOLUTE)
set(LETTERLOOM_WINDOWS_DEPS "${_letterloom_deps}" CACHE PATH "Install prefix of the static Windows libraries")
get_filename_component(LETTERLOOM_WINDOWS_DEPS "${LETTERLOOM_WINDOWS_DEPS}" ABSOLUTE)
set(LETTERLOOM_WINEPREFIX "${CMAKE_BINARY_DIR}/wine" CACHE PATH "Wine prefix for running tests")
# try_compile projects read this file again; they get the same prefixes.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LETTERLOOM_WINDOWS_DEPS LETTERLOOM_WINEPREFIX)

# Libraries, headers and CMake packages only from the target's folders; programs from the host.
set(CMAKE_FIND_ROOT_PATH "${LETTERLOOM_WINDOWS_DEPS}" /usr/${_letterloom_host})
list(APPEND CMAKE_PREFIX_PATH "${LETTERLOOM_WINDOWS_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libz-mingw-w64-dev also ships an import library for zlib1.dll; take the static one.
set(ZLIB_USE_STATIC_LIBS ON)

# Everything static: a program that needs libstdc++-6.dll or libwinpthread-1.dll does not start
# under Wine (exit code 53) nor on a Windows machine without them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests (and gtest_discover_tests at build time) run through Wine in the build's own prefix.
# tools/build-windows sets the same environment for the whole run.
get_filename_component(_letterloom_wine_tmp "${LETTERLOOM_WINEPREFIX}" DIRECTORY)
set(_letterloom_wine_tmp "${_letterloom_wine_tmp}/tmp")
file(MAKE_DIRECTORY "${_letterloom_wine_tmp}")
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env "WINEPREFIX=${LETTERLOOM_WINEPREFIX}" "TMPDIR=${_letterloom_wine_tmp}"
    WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=" wine)
