# The test programs that run under Wine, one per source file in tests/window, each with its run
# time in seconds measured on a fresh prefix with both cores of the 2-core machine kept busy.
# The program's watchdog ends a test case still running after the longer of 30 s and three times
# that time, and prints every thread's stack; CTest's time-out leaves room for the whole program,
# a hang in its last case and the stacks, so a hang is always reported by the watchdog.
set(TARVO_WINDOW_TEST_TIMES
    creationTests:6
    processTests:7
    paintTests:42
    canvasTests:11
    drawingEndToEndTests:5
    frameTests:10
    frameEndToEndTests:9
    exportTests:17
    menuTests:11
    exportEndToEndTests:22
    exportFaultTests:7
    soakTests:52
    leakTests:93
    accessibilityTests:12
    accessibilityEndToEndTests:34)
set(TARVO_WINDOW_TESTS "")
foreach(entry ${TARVO_WINDOW_TEST_TIMES})
    string(REPLACE ":" ";" entry ${entry})
    list(GET entry 0 name)
    list(GET entry 1 seconds)
    list(APPEND TARVO_WINDOW_TESTS ${name})
    math(EXPR TARVO_WATCHDOG_${name} "3 * ${seconds}")
    if(TARVO_WATCHDOG_${name} LESS 30)
        set(TARVO_WATCHDOG_${name} 30)
    endif()
    math(EXPR TARVO_TIMEOUT_${name} "2 * ${seconds} + ${TARVO_WATCHDOG_${name}} + 120")
endforeach()
