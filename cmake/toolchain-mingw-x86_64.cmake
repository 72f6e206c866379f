# Cross build for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64): the same sources
# as the product, for the tests that run under Wine.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(LAUNCHER_MINGW_TRIPLE x86_64-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake")
