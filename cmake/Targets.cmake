# Shared helpers for the libraries, programs and tests of the tree.

# A shared library of the system: hidden visibility, own symbols bound inside.
function(orvane_shared_library target)
  add_library(${target} SHARED ${ARGN})
  target_link_options(${target} PRIVATE -Wl,-Bsymbolic -Wl,--no-undefined)
endfunction()

# A test's bound in CTest. It is there to end a hang; the sanitized builds
# run the tests that fork, kill and restart children several times slower,
# and a loaded machine slows them again: the killed-save test took four
# minutes under the thread sanitizer beside a busy load and a build.
if(ORVANE_TSAN OR ORVANE_SANITIZERS)
  set(ORVANE_TEST_TIMEOUT 600)
else()
  set(ORVANE_TEST_TIMEOUT 120)
endif()

# Every test program links it: each test starts without the caller's values
# of the system's environment variables.
add_library(orvane_test_environment OBJECT ${CMAKE_CURRENT_LIST_DIR}/test_environment.cpp)
target_link_libraries(orvane_test_environment PUBLIC GTest::gtest)

# One test program for a folder of tests: every *_test.cpp in DIR.
# Usage: orvane_test_folder(NAME DIR LIBS lib1 lib2 ...)
function(orvane_test_folder name dir)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*_test.cpp ${dir}/test_*.cpp)
  if(NOT sources)
    return()
  endif()
  file(GLOB helpers CONFIGURE_DEPENDS ${dir}/support/*.cpp)
  add_executable(${name} ${sources} ${helpers})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads
                        orvane_test_environment)
  target_include_directories(${name} PRIVATE ${dir})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${ORVANE_TEST_TIMEOUT})
endfunction()
