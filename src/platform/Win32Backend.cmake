# The Windows build: the Win32 backend of the platform layer and the launcher itself, a GUI
# program with its own process entry that links no C runtime and imports from KERNEL32 alone.
# Included from src/CMakeLists.txt, so relative paths are relative to src/.

enable_language(RC)

# Product code is freestanding: no exceptions, no RTTI, no unwind tables and no stack guard,
# none of which has a runtime to serve it here. Paths of the build machine are mapped away so
# that the binary does not depend on where it was built.
set(LAUNCHER_FREESTANDING_OPTIONS
    -ffreestanding -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-stack-protector
    -ffunction-sections -fdata-sections
    "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${PROJECT_BINARY_DIR}=.")

add_library(launcher_platform STATIC
  platform/file_moves.cpp
  platform/transient_retry.cpp
  platform/win32_file_operations.cpp
  platform/win32_folder_entries.cpp
  platform/win32_process.cpp
  platform/win32_process_services.cpp
  platform/win32_profile_files.cpp)
target_include_directories(launcher_platform PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
target_compile_options(launcher_platform PRIVATE ${LAUNCHER_FREESTANDING_OPTIONS})
target_compile_options(launcher_core PRIVATE ${LAUNCHER_FREESTANDING_OPTIONS})

# The entry's symbol as the linker sees it: i686 decorates a __stdcall name with a leading
# underscore and the size of its arguments. A wrong name only draws a warning and the program
# then starts at the beginning of .text, which the product checks would catch.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(LAUNCHER_ENTRY_SYMBOL "_Start@0")
else()
  set(LAUNCHER_ENTRY_SYMBOL "Start")
endif()

set(LAUNCHER_ICON_RC "${LAUNCHER_ICON}")
configure_file(../res/launcher.rc.in "${CMAKE_CURRENT_BINARY_DIR}/launcher.rc" @ONLY)
set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/launcher.rc" PROPERTIES
  OBJECT_DEPENDS "${LAUNCHER_ICON}")

# The memory functions are linked as objects, not from a library, so that they are there for
# every caller whatever the link order; the compiler must not turn their loops into calls.
add_executable(launcher WIN32
  platform/entry_win32.cpp
  platform/win32_memory_functions.cpp
  "${CMAKE_CURRENT_BINARY_DIR}/launcher.rc")
set_source_files_properties(platform/win32_memory_functions.cpp PROPERTIES
  COMPILE_OPTIONS "-fno-tree-loop-distribute-patterns;-fno-builtin")
target_compile_options(launcher PRIVATE ${LAUNCHER_FREESTANDING_OPTIONS})
set_target_properties(launcher PROPERTIES OUTPUT_NAME "${LAUNCHER_OUTPUT_NAME}")
# The product is stripped; the map file beside it keeps the symbols' addresses for the checks.
# KERNEL32 is the only import library; libgcc supplies ___chkstk_ms for large stack frames.
target_link_options(launcher PRIVATE
  -nostartfiles -nostdlib -mwindows -s
  "LINKER:-e,${LAUNCHER_ENTRY_SYMBOL}"
  "LINKER:--gc-sections"
  "LINKER:--no-insert-timestamp"
  "LINKER:-Map=$<TARGET_FILE_DIR:launcher>/${LAUNCHER_OUTPUT_NAME}.map")
target_link_libraries(launcher PRIVATE launcher_core kernel32 gcc)
