# The version of project() in the products, and the release package.
#
# One version, in project(): it goes into a generated header that the DLL's
# version resource and PelkSim read, and into the package's name. The package
# (Windows build only) is a flat zip, Stats-<version>-win32.zip:
#   cpack --preset windows          (after a build of the windows preset)
#   cmake --workflow --preset release   (configure, build and package)

# "stats_version.h", for everything built on the core (the DLL's version
# resource, PelkSim, the tests).
# (stats_resources carries its folder.)
configure_file(${CMAKE_CURRENT_LIST_DIR}/stats_version.h.in ${STATS_VERSION_INCLUDE_DIR}/stats_version.h @ONLY)

if(NOT WIN32)
  return()
endif()

set_property(SOURCE resources/Stats.rc APPEND PROPERTY OBJECT_DEPENDS ${STATS_VERSION_INCLUDE_DIR}/stats_version.h)

# README.txt (the operator's and the committee's parts of README.md) and
# COMMITTEE.txt (docs/committee.md) in plain text with Windows line ends,
# their torv commands as typed on Windows (cmake/markdown-text).
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(STATS_README_TXT ${CMAKE_BINARY_DIR}/release/README.txt)
set(STATS_COMMITTEE_TXT ${CMAKE_BINARY_DIR}/release/COMMITTEE.txt)
add_custom_command(OUTPUT ${STATS_README_TXT} ${STATS_COMMITTEE_TXT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/release
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/markdown-text ${CMAKE_SOURCE_DIR}/README.md
    ${STATS_README_TXT} --windows --until "<!-- end of the release's README.txt -->"
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/markdown-text ${CMAKE_SOURCE_DIR}/docs/committee.md
    ${STATS_COMMITTEE_TXT} --windows
  DEPENDS ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/committee.md ${CMAKE_CURRENT_LIST_DIR}/markdown-text
  COMMENT "Writing README.txt and COMMITTEE.txt for the release"
  VERBATIM)
add_custom_target(release_readme ALL DEPENDS ${STATS_README_TXT} ${STATS_COMMITTEE_TXT})

# What the operator gets. The DLL's import library is no part of it.
install(TARGETS Stats RUNTIME DESTINATION . ARCHIVE DESTINATION lib COMPONENT development EXCLUDE_FROM_ALL)
install(FILES ${STATS_README_TXT} ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/CHANGELOG.md DESTINATION .)
# The command-line tool joins the package when the tree builds it, with the
# settings file and the log its README's first examples name, the
# committee's guide and the sample contest its first command checks; the
# check runs once every target of the tree is known.
function(stats_install_torv)
  if(TARGET torv)
    install(TARGETS torv RUNTIME DESTINATION .)
    install(FILES ${STATS_COMMITTEE_TXT} DESTINATION .)
    install(FILES ${CMAKE_SOURCE_DIR}/examples/TORV.ini ${CMAKE_SOURCE_DIR}/examples/torv-sample.adi
      DESTINATION examples)
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/contest DESTINATION examples)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL stats_install_torv)

if(NOT CMAKE_STRIP)
  find_program(CMAKE_STRIP i686-w64-mingw32-strip)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Stats)
set(CPACK_PACKAGE_VENDOR "Stats developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Stats-${PROJECT_VERSION}-win32)
# Unzipped, the files lie side by side: Stats.dll is copied as it is.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
