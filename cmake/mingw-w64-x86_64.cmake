# Cross-builds the programs for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKT_TESTS=OFF
# The .exe files link the C and C++ runtimes statically, so they run on a bare Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(kt_mingw x86_64-w64-mingw32)
# The -posix variant has std::thread and std::mutex; the -win32 one has not.
find_program(kt_mingw_cxx NAMES ${kt_mingw}-g++-posix ${kt_mingw}-g++ REQUIRED)
set(CMAKE_CXX_COMPILER ${kt_mingw_cxx})
find_program(CMAKE_RC_COMPILER NAMES ${kt_mingw}-windres)
find_program(CMAKE_STRIP NAMES ${kt_mingw}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${kt_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
