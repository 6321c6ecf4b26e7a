# GoogleTest for the cross build. Debian's googletest package ships the
# sources (/usr/src/googletest) but libraries for the machine only: on the
# first configure of a cross build they are built once with the same
# toolchain and installed in the build tree, where find_package(GTest) then
# finds them like any installed package.
set(_gtest_source /usr/src/googletest)
set(_gtest_build ${CMAKE_BINARY_DIR}/deps/googletest-build)
set(_gtest_prefix ${CMAKE_BINARY_DIR}/deps/googletest)
if(NOT EXISTS ${_gtest_prefix}/lib/cmake/GTest/GTestConfig.cmake)
  message(STATUS "Building GoogleTest with the cross compiler (once per build folder)")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${_gtest_source} -B ${_gtest_build} -G ${CMAKE_GENERATOR}
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_INSTALL_PREFIX=${_gtest_prefix} -Dgtest_disable_pthreads=OFF -DINSTALL_GTEST=ON
    RESULT_VARIABLE _gtest_failed OUTPUT_QUIET)
  if(NOT _gtest_failed)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${_gtest_build} --target install
                    RESULT_VARIABLE _gtest_failed OUTPUT_QUIET)
  endif()
  if(_gtest_failed)
    message(FATAL_ERROR "GoogleTest could not be built from ${_gtest_source} for the cross build")
  endif()
endif()
set(GTest_DIR ${_gtest_prefix}/lib/cmake/GTest CACHE PATH "GoogleTest built for the cross build" FORCE)
