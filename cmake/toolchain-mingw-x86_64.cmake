# Cross build for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64): the same sources
# as the product, for the tests that run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(LAUNCHER_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LAUNCHER_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${LAUNCHER_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${LAUNCHER_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LAUNCHER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every Windows program of the build stands alone: no MinGW runtime DLL has to lie beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
