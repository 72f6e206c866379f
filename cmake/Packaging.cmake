# The release package of a Windows build: a ZIP holding the launcher and the texts for players,
# in German (LIESMICH.txt) and English (README.txt), all in one folder named after the launcher
# and the version. Built with `cmake --build build/windows-x86 --target package`.
#
# The texts name this build's mod identity, so they are generated from package/*.txt.in. They
# are read in Notepad: UTF-8 (the German one starts with a byte order mark, which every Notepad
# since Windows 2000 honours whatever the system's code page) with CRLF line ends, which
# Notepad before Windows 10 needs to show the lines at all.
if(NOT WIN32)
  return()
endif()

set(LAUNCHER_PLAYER_TEXTS "")
foreach(text LIESMICH.txt README.txt)
  configure_file("${PROJECT_SOURCE_DIR}/package/${text}.in" "${PROJECT_BINARY_DIR}/package/${text}"
                 @ONLY NEWLINE_STYLE CRLF)
  list(APPEND LAUNCHER_PLAYER_TEXTS "${PROJECT_BINARY_DIR}/package/${text}")
endforeach()

install(TARGETS launcher RUNTIME DESTINATION .)
install(FILES ${LAUNCHER_PLAYER_TEXTS} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "${LAUNCHER_OUTPUT_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "${LAUNCHER_OUTPUT_NAME}-${PROJECT_VERSION}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/release")
include(CPack)
