# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads: std::thread and the
# C++20 library as on Linux). Preset "windows" uses it; the result runs on Windows and under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# the C and C++ runtimes and winpthread linked in: vexel.exe needs no DLL beside it
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# the programs built for Windows run under Wine here (ctest, gtest_discover_tests)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
