# The mod's identity, fixed when the launcher is built. These defaults are this mod's; another
# mod builds the same sources with its own values. The generated header mod_identity.h is the
# only place the code reads them from.
set(LAUNCHER_MOD_VOLUME "talvero.mod" CACHE STRING "The mod's volume file name")
set(LAUNCHER_MOD_DEFINITION "talveroh2.ini" CACHE STRING
    "The mod's game definition file name (in the game's system folder)")
set(LAUNCHER_MOD_DUMP "vdfs_talveroh2.dmp" CACHE STRING "The mod's saved engine dump file name")
set(LAUNCHER_GAME_EXECUTABLE "system\\Hadrin2.exe" CACHE STRING
    "The game executable, relative to the game folder, with backslashes")
set(LAUNCHER_OUTPUT_NAME "TalveroLauncher" CACHE STRING "The launcher's file name, without .exe")
set(LAUNCHER_ICON "${CMAKE_CURRENT_SOURCE_DIR}/res/launcher.ico" CACHE FILEPATH
    "The launcher's icon (one 101 x 113 image of 24 bits per pixel)")

foreach(name LAUNCHER_MOD_VOLUME LAUNCHER_MOD_DEFINITION LAUNCHER_MOD_DUMP
             LAUNCHER_GAME_EXECUTABLE)
  if("${${name}}" MATCHES "[\"\n]" OR "${${name}}" STREQUAL "")
    message(FATAL_ERROR "${name} must be a non-empty name without quotes or line breaks")
  endif()
  string(REPLACE "\\" "\\\\" ${name}_C "${${name}}")
endforeach()
foreach(name LAUNCHER_MOD_VOLUME LAUNCHER_MOD_DEFINITION LAUNCHER_MOD_DUMP)
  if("${${name}}" MATCHES "[\\\\/]")
    message(FATAL_ERROR "${name} must be a bare file name")
  endif()
endforeach()

# Windows takes a 32-bit program without a manifest whose file name holds one of these words for
# an installer and asks for administrator rights before it starts it (installer detection): a
# launcher so named would ask every player for elevation, or not start for those who may not
# give it.
string(TOLOWER "${LAUNCHER_OUTPUT_NAME}" lowercase_output_name)
foreach(word setup install update patch)
  string(FIND "${lowercase_output_name}" "${word}" at)
  if(at GREATER_EQUAL 0)
    message(FATAL_ERROR "LAUNCHER_OUTPUT_NAME \"${LAUNCHER_OUTPUT_NAME}\" holds \"${word}\": "
                        "Windows takes a 32-bit program without a manifest whose file name holds "
                        "\"setup\", \"install\", \"update\" or \"patch\" (in any letter "
                        "case) for an installer and asks for administrator rights to start it. "
                        "Choose a name without these words.")
  endif()
endforeach()

set(LAUNCHER_GENERATED_DIR "${CMAKE_CURRENT_BINARY_DIR}/generated")
configure_file("${CMAKE_CURRENT_SOURCE_DIR}/src/identity/mod_identity.h.in"
               "${LAUNCHER_GENERATED_DIR}/mod_identity.h" @ONLY)
