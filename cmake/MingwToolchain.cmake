# The parts of a MinGW-w64 cross build that both Windows targets share. The including toolchain
# file sets CMAKE_SYSTEM_PROCESSOR and LAUNCHER_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${LAUNCHER_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${LAUNCHER_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${LAUNCHER_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LAUNCHER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every Windows program of the build stands alone: no MinGW runtime DLL has to lie beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
