# The engine's tests as one Windows program, led2vqn_win_tests.exe, run once
# under wine by scripts/windows_stage.sh (each wine start costs most of a
# second). GoogleTest is built from the sources Debian ships with libgtest-dev.
# Left out, as they need what only POSIX systems have (FIFOs, file modes,
# child processes) or drive the Linux program: base/*_posix_test.cpp,
# input/program_reader_test.cpp, robustness/*_faults_test.cpp, cli/, gui/.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB_RECURSE SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
add_library(led2vqn_test_support STATIC ${SUPPORT_SOURCES})
target_include_directories(led2vqn_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(led2vqn_test_support PUBLIC led2vqn_engine gtest)

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/base/*_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/output/*_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/app/*_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/project/*_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/modes/*_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/robustness/fuzz_findings_test.cpp)
list(FILTER WIN_TEST_SOURCES EXCLUDE REGEX "_posix_test\\.cpp$")
add_executable(led2vqn_win_tests ${WIN_TEST_SOURCES})
target_link_libraries(led2vqn_win_tests PRIVATE led2vqn_test_support gtest_main)
target_compile_definitions(led2vqn_win_tests PRIVATE LED2VQN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
set_target_properties(led2vqn_win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
