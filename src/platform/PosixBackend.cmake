# The platform layer on POSIX systems (the native build that most tests run), and the
# launcher's POSIX process entry. Included from src/CMakeLists.txt.

add_library(launcher_platform STATIC
  ${CMAKE_CURRENT_LIST_DIR}/file_moves.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_rename.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_enumeration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_profile_read.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_profile_write.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_fault_seam.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windows_argv.cpp)
target_include_directories(launcher_platform PUBLIC "${CMAKE_CURRENT_LIST_DIR}/..")
# getdents64, copy_file_range and environ are GNU/Linux declarations.
target_compile_definitions(launcher_platform PRIVATE _GNU_SOURCE)
# The fault seam is compiled in only where tests are built; elsewhere it costs nothing.
if(LAUNCHER_TESTS)
  target_compile_definitions(launcher_platform PUBLIC LAUNCHER_FAULT_SEAM=1)
else()
  target_compile_definitions(launcher_platform PUBLIC LAUNCHER_FAULT_SEAM=0)
endif()

add_executable(launcher ${CMAKE_CURRENT_LIST_DIR}/entry_posix.cpp)
target_link_libraries(launcher PRIVATE launcher_core)
set_target_properties(launcher PROPERTIES OUTPUT_NAME "${LAUNCHER_OUTPUT_NAME}")
