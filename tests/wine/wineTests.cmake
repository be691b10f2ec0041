# Registers the Wine-side tests with the native CTest run. A fixture starts the
# private display and prefix before them and stops the display after them;
# they share one display, so they run one at a time.
set(WINE_STATE_DIR ${CMAKE_BINARY_DIR}/wine)
set(WINE_ENV ${CMAKE_SOURCE_DIR}/scripts/wineEnv.sh)

add_test(NAME wineEnvironmentStart COMMAND ${WINE_ENV} start ${WINE_STATE_DIR})
set_tests_properties(wineEnvironmentStart PROPERTIES FIXTURES_SETUP wine TIMEOUT 400)
add_test(NAME wineEnvironmentStop COMMAND ${WINE_ENV} stop ${WINE_STATE_DIR})
set_tests_properties(wineEnvironmentStop PROPERTIES FIXTURES_CLEANUP wine)

foreach(name ${TARVO_WINDOW_TESTS})
    add_test(NAME ${name} COMMAND ${WINE_ENV} exec ${WINE_STATE_DIR} ${WINDOWS_BUILD_DIR}/tests/window/${name}.exe)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wineDisplay
                         TIMEOUT ${TARVO_TIMEOUT_${name}} ENVIRONMENT TARVO_TEST_DEADLINE_S=${TARVO_WATCHDOG_${name}})
endforeach()

add_test(NAME releasePackage COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/packageTest.sh ${WINE_STATE_DIR} ${WINDOWS_BUILD_DIR})
set_tests_properties(releasePackage PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wineDisplay TIMEOUT 90)

add_test(NAME installer COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/installerTest.sh ${WINE_STATE_DIR} ${WINDOWS_BUILD_DIR})
set_tests_properties(installer PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wineDisplay TIMEOUT 240)

add_test(NAME exeImage COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/exeImageTest.sh ${WINDOWS_BUILD_DIR}/Tarvo.exe)

# On a display of its own with a window manager; it runs alone, like the tests on the shared display.
add_test(NAME desktop COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/desktopTest.sh ${WINDOWS_BUILD_DIR} ${CMAKE_BINARY_DIR}/wine-desktop)
set_tests_properties(desktop PROPERTIES RESOURCE_LOCK wineDisplay TIMEOUT 600)
