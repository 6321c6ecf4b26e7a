# GoogleTest for the cross build. Debian's googletest package ships the
# sources (/usr/src/googletest) but libraries for the build machine only, so
# the cross build compiles them as targets of its own, with the same
# toolchain: their errors show like any other, and they are built once per
# build folder. Its own CMake names them as find_package(GTest) does
# (GTest::gtest, GTest::gtest_main, GTest::gmock).
set(INSTALL_GTEST OFF CACHE BOOL "GoogleTest is part of the tests, not of the product" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
