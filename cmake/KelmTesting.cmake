# GoogleTest cross-built from Debian's sources, and the function that turns a
# test program into CTest entries run under Wine.
include(GoogleTest)
enable_testing()

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
# The win32 thread model has no std::mutex: GoogleTest's customisation
# header gives it a Notification on Win32 events instead.
target_include_directories(gtest BEFORE PUBLIC "${CMAKE_SOURCE_DIR}/tests/harness")

# One Xvfb display and one wineserver for the whole run, and a program that
# holds Wine's desktop meanwhile (tests/harness/desktop_keeper.cpp says why).
add_executable(desktop_keeper "${CMAKE_SOURCE_DIR}/tests/harness/desktop_keeper.cpp")
add_test(NAME wine_session_up
         COMMAND "${CMAKE_SOURCE_DIR}/scripts/wine-session" up "${KELM_WINE_STATE}"
                 "$<TARGET_FILE:desktop_keeper>")
add_test(NAME wine_session_down
         COMMAND "${CMAKE_SOURCE_DIR}/scripts/wine-session" down "${KELM_WINE_STATE}")
set_tests_properties(wine_session_up PROPERTIES FIXTURES_SETUP wine_session)
set_tests_properties(wine_session_down PROPERTIES FIXTURES_CLEANUP wine_session)

# kelm_add_wine_test(<target> SOURCES ... [LIBRARIES ...]
#                    [RESOURCE_LOCK ...] [RUN_SERIAL])
# LIBRARIES may name object libraries (resources) as well.
# Every TEST of the sources becomes its own CTest entry, so each runs in a
# fresh process (the logger and the layout size are process-wide).
function(kelm_add_wine_test target)
  cmake_parse_arguments(ARG "RUN_SERIAL" "" "SOURCES;LIBRARIES;RESOURCE_LOCK;ENVIRONMENT" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gmock GTest::gtest_main)
  gtest_add_tests(TARGET ${target} SOURCES ${ARG_SOURCES} TEST_LIST tests)
  set_tests_properties(${tests} PROPERTIES
    FIXTURES_REQUIRED wine_session
    TIMEOUT 120
    ENVIRONMENT "KELM_DVR_SIM=${KELM_NATIVE_DIR}/sim/dvr/dvr-sim;KELM_RTSP_LAUNCH=${KELM_NATIVE_DIR}/tests/rtsp/rtsp-launch")
  if(ARG_RESOURCE_LOCK)
    set_tests_properties(${tests} PROPERTIES RESOURCE_LOCK "${ARG_RESOURCE_LOCK}")
  endif()
  if(ARG_ENVIRONMENT)
    set_property(TEST ${tests} APPEND PROPERTY ENVIRONMENT ${ARG_ENVIRONMENT})
  endif()
  if(ARG_RUN_SERIAL)
    set_tests_properties(${tests} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()
