# Cross-compiles Quarlight as 64-bit Windows programs with Debian's mingw-w64
# (g++-mingw-w64-x86-64), against the real Windows SDK headers and import
# libraries it ships: cmake -S . -B build-windows \
#   -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QL_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix threading variant: its libstdc++ has std::thread and std::mutex.
set(CMAKE_C_COMPILER ${QL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: no libstdc++, libgcc or winpthread DLLs to ship
# beside them or to find on Wine's path.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Lets CTest run the Windows test programs directly under Wine.
find_program(QL_WINE NAMES wine wine64)
if(QL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QL_WINE})
endif()
