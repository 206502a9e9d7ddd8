# Native builds use Debian's packaged googletest; cross builds (Windows, 32-bit
# Linux) compile it from the sources that libgtest-dev ships.
if(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

function(tl_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE tlengine GTest::gtest_main)
  tl_warnings(${name})
  if(CMAKE_CROSSCOMPILING)
    # Under Wine or an emulator every process start costs a fraction of a second,
    # so each test executable runs as one CTest test.
    add_test(NAME ${name} COMMAND ${name})
    if(WIN32)
      set(label wine)
    else()
      set(label x86)
    endif()
    set_tests_properties(${name} PROPERTIES LABELS ${label}
                         ENVIRONMENT "TL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "TL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  endif()
endfunction()
