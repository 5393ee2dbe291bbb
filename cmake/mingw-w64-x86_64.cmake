# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 toolchain (posix thread model,
# so std::thread and std::mutex work as on Linux).
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DTIDE_WINDOWS_PREFIX="$(scripts/windows/deps.sh)" ...
#
# TIDE_WINDOWS_PREFIX names the folder of Windows libraries that scripts/windows/deps.sh builds;
# find_package and pkg-config then look there and in the MinGW sysroot, never at the host's
# Linux libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIDE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TIDE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIDE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TIDE_MINGW_TRIPLET}-windres)

# try_compile projects re-read this file: hand them the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TIDE_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${TIDE_MINGW_TRIPLET})
if(TIDE_WINDOWS_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${TIDE_WINDOWS_PREFIX})
  # The host's pkg-config reads only the prefix's .pc files, whose paths are absolute.
  set(ENV{PKG_CONFIG_LIBDIR} ${TIDE_WINDOWS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
# Programs (code generators, pkg-config) come from the host; libraries, headers and
# packages only from the roots above.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libgcc, libstdc++, winpthreads) is linked in, so a program
# or DLL needs only Windows' system DLLs and the DLLs shipped beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
