# GoogleTest for both targets: Debian's package natively, Debian's sources built with
# the cross toolchain for Windows (the same sources the package is made from).
if(CMAKE_CROSSCOMPILING)
  set(SYLVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
  if(NOT EXISTS ${SYLVANE_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found at ${SYLVANE_GTEST_SOURCE}; run scripts/setup.sh")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${SYLVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(SYLVANE_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  set(SYLVANE_GTEST_MAIN GTest::gtest_main)
endif()

# sylvane_add_gtest(name SOURCES ... [LIBS ...])
# One executable, one ctest entry; on Windows ctest runs it through the Wine emulator.
function(sylvane_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${SYLVANE_GTEST_MAIN} Threads::Threads sylvane_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  # Tests write only below the build tree: the preset library's documents folder included, one per
  # test program, so programs that ctest runs side by side never see each other's library files
  # (on Windows the private Wine prefix keeps the shared documents folder apart).
  set_tests_properties(${name} PROPERTIES TIMEOUT 900
    ENVIRONMENT "SYLVANE_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp;SYLVANE_DOCUMENTS_DIR=${CMAKE_BINARY_DIR}/test-tmp/${name}/documents")
  if(SYLVANE_SANITIZE)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
  endif()
endfunction()
