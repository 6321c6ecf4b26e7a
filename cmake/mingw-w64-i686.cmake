# Cross build of Stats.dll and the Windows test programs with mingw-w64 (i686).
# The posix thread model is required: the win32 one has no std::mutex/std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The 32-bit C runtime's malloc, which operator new calls, gives blocks
# aligned to 8 bytes; the compiler's default assumes 16. Told the truth, it
# sends a type aligned beyond 8 to the aligned operator new (which aligns it
# itself) and assumes no more than 8 of a plain new. For C++ only, and for
# every target, GoogleTest included, so that they all agree;
# src/win/new_alignment_win.cpp fails the build without it.
set(CMAKE_CXX_FLAGS_INIT "-faligned-new=8")

# One self-contained PE file: libgcc, libstdc++ and winpthread linked in, for
# every executable and DLL of the build (the one place -static is set).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Windows programs (tests, host simulator) run under wine, in a prefix of the build.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run;${CMAKE_BINARY_DIR}/wineprefix")
