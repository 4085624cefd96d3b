# Cross-builds the command line for 64-bit Windows with mingw-w64 (the posix
# thread model, which has std::thread) into one self-contained led2vqn.exe:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Windows programs built here (the tests) run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Only the mingw sysroot: the host's /usr/include holds glibc headers that
# would shadow mingw's. CLI11 (header-only) comes from a staging folder that
# holds nothing but its CLI/ headers (LED2VQN_CLI11_HEADERS).
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
# The window's build (scripts/windows_gui.sh) adds the Qt built for Windows.
if(LED2VQN_QT_MINGW)
  list(APPEND CMAKE_FIND_ROOT_PATH ${LED2VQN_QT_MINGW})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
