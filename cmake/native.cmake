# The native side: unit tests of the platform-free code with AddressSanitizer
# and UBSan, the native benchmarks, and the cross build of Tarvo.exe with the
# tests that run it under Wine.
include(ExternalProject)
enable_testing()
if(NOT TARVO_TESTS)
    message(FATAL_ERROR "doctest/doctest.h not found (DOCTEST_INCLUDE_DIR): install doctest-dev")
endif()

add_subdirectory(tests/native)
add_subdirectory(bench/native)

set(WINDOWS_BUILD_DIR ${CMAKE_BINARY_DIR}/windows)
ExternalProject_Add(windowsBuild
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${WINDOWS_BUILD_DIR}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DDOCTEST_INCLUDE_DIR=${DOCTEST_INCLUDE_DIR}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON)
# run.sh builds Tarvo.exe alone: it configures the cross build through this step, then builds
# only that build's Tarvo target.
ExternalProject_Add_StepTargets(windowsBuild configure)

include(tests/window/windowTests.cmake)
include(tests/wine/wineTests.cmake)
