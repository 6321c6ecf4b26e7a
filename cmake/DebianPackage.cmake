# The Debian package of torv, for a committee on Linux (native build only):
#   cpack -G DEB          (in build/native, after its build)
# gives build/native/torv_<version>_<arch>.deb, which installs
#   /usr/bin/torv
#   /usr/share/man/man1/torv.1.gz      made from torv's own --help texts
#   /usr/share/doc/torv/               README.txt, COMMITTEE.txt (the committee's
#                                      guide), changelog.gz, copyright (the licence),
#                                      examples/ (TORV.ini, the sample log, the
#                                      sample contest examples/contest)
# scripts/check-deb unpacks and tries it. Only torv is installed: the
# plug-in is Windows software, and the tests and tools are the tree's.

if(NOT TARGET torv OR STATS_SANITIZE)
  return()
endif()
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  message(STATUS "No python3: no Debian package (its manual page and texts are made by scripts in cmake/)")
  return()
endif()

set(STATS_DEB_DIR ${CMAKE_BINARY_DIR}/release)

# The manual page follows the help: it is made from what this torv prints.
add_custom_command(OUTPUT ${STATS_DEB_DIR}/torv.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${STATS_DEB_DIR}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/help-manpage $<TARGET_FILE:torv> ${STATS_DEB_DIR}/torv.1.gz
  DEPENDS torv ${CMAKE_CURRENT_LIST_DIR}/help-manpage
  COMMENT "Writing torv's manual page from its help"
  VERBATIM)

# The same texts as the Windows release, in Linux line ends and commands.
set(release_part "<!-- end of the release's README.txt -->")
add_custom_command(OUTPUT ${STATS_DEB_DIR}/README.txt ${STATS_DEB_DIR}/COMMITTEE.txt ${STATS_DEB_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${STATS_DEB_DIR}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/markdown-text ${CMAKE_SOURCE_DIR}/README.md
    ${STATS_DEB_DIR}/README.txt --until ${release_part}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/markdown-text ${CMAKE_SOURCE_DIR}/docs/committee.md
    ${STATS_DEB_DIR}/COMMITTEE.txt
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/markdown-text ${CMAKE_SOURCE_DIR}/CHANGELOG.md
    ${STATS_DEB_DIR}/changelog
  COMMAND gzip -9nf ${STATS_DEB_DIR}/changelog
  DEPENDS ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/committee.md ${CMAKE_SOURCE_DIR}/CHANGELOG.md
    ${CMAKE_CURRENT_LIST_DIR}/markdown-text
  COMMENT "Writing the Debian package's texts"
  VERBATIM)
add_custom_target(deb_files ALL DEPENDS ${STATS_DEB_DIR}/torv.1.gz ${STATS_DEB_DIR}/README.txt)

install(TARGETS torv RUNTIME DESTINATION bin)
install(FILES ${STATS_DEB_DIR}/torv.1.gz DESTINATION share/man/man1)
install(FILES ${STATS_DEB_DIR}/README.txt ${STATS_DEB_DIR}/COMMITTEE.txt ${STATS_DEB_DIR}/changelog.gz
  DESTINATION share/doc/torv)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION share/doc/torv RENAME copyright)
install(FILES ${CMAKE_SOURCE_DIR}/examples/TORV.ini ${CMAKE_SOURCE_DIR}/examples/torv-sample.adi
  DESTINATION share/doc/torv/examples)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/contest DESTINATION share/doc/torv/examples)

set(STATS_DEB_MAINTAINER "Stats developers <stats-developers@example.org>" CACHE STRING
  "The Debian package's Maintainer field")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Stats developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "scores and cross-checks logs of the TORV contest")
set(CPACK_PACKAGE_DESCRIPTION "torv applies the rules of TORV, the Brazilian national HF contest, to contest
logs outside the logger. torv score scores one log (ADIF or Cabrillo) and
writes its error list and Cabrillo file; torv check cross-checks every log a
contest committee received: checked scores, UBN reports (unique, busted,
not-in-log contacts), and the results page to publish. A sample contest to
try it on is in /usr/share/doc/torv/examples/contest.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${STATS_DEB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries torv links (the C and C++ runtimes), with the versions this
# build needs: from dpkg-shlibdeps when the machine has it (dpkg-dev), else
# those of Debian 12, the system the tree builds on.
find_program(STATS_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(STATS_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
