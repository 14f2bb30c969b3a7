# Cross-compiling for 64-bit Windows with Debian's mingw-w64 compilers of the posix thread model
# (std::thread and std::mutex work there; the win32 model lacks them).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARVELLA_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVELLA_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVELLA_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVELLA_MINGW_HOST}-windres)
# The third-party builds (scripts/win64/build-deps.sh), as a list of install prefixes.
set(TARVELLA_WIN64_PREFIXES "" CACHE STRING "Install prefixes of the cross-built libraries")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TARVELLA_WIN64_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVELLA_MINGW_HOST} ${TARVELLA_WIN64_PREFIXES})
# pkg-config sees only the cross-built libraries, never the build host's.
set(_tarvella_pc "")
foreach(_prefix IN LISTS TARVELLA_WIN64_PREFIXES)
  list(APPEND _tarvella_pc ${_prefix}/lib/pkgconfig ${_prefix}/share/pkgconfig)
endforeach()
string(REPLACE ";" ":" _tarvella_pc "${_tarvella_pc}")
set(ENV{PKG_CONFIG_LIBDIR} "${_tarvella_pc}")
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# No DLLs beside the programs: the compiler's own runtime is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
