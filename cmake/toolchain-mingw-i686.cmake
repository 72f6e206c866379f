# Cross build for 32-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-i686): the product.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LAUNCHER_MINGW_TRIPLE i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake")
