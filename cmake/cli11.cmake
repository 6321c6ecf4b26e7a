# The command lines of torv and contest-sim: the target cli11.
# CLI11 is header-only (Debian's libcli11-dev). The native build takes its
# CMake package as it is. The cross build must never see /usr/include (the
# Linux C headers there would shadow the Windows ones), so it takes the
# package's headers alone, copied into a folder of the build.
if(CMAKE_CROSSCOMPILING)
  find_package(CLI11 CONFIG REQUIRED PATHS /usr/share/cmake NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  get_target_property(cli11_package_includes CLI11::CLI11 INTERFACE_INCLUDE_DIRECTORIES)
  find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS ${cli11_package_includes} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
    REQUIRED)
  if(IS_SYMLINK ${CMAKE_BINARY_DIR}/cli11/CLI)
    file(REMOVE ${CMAKE_BINARY_DIR}/cli11/CLI)  # left by older trees, which linked /usr/include/CLI
  endif()
  file(COPY ${CLI11_INCLUDE_DIR}/CLI DESTINATION ${CMAKE_BINARY_DIR}/cli11)
  add_library(cli11 INTERFACE)
  target_include_directories(cli11 SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/cli11)
else()
  find_package(CLI11 CONFIG REQUIRED)
  add_library(cli11 INTERFACE)
  target_link_libraries(cli11 INTERFACE CLI11::CLI11)
endif()
