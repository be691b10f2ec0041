# The test programs that run under Wine, one per source file in tests/window, each with its run
# time in seconds measured on a fresh prefix with both cores of the 2-core machine kept busy.
# The program's watchdog ends a test case still running after the longer of 30 s and three times
# that time, and prints every thread's stack; CTest's time-out leaves room for the whole program,
# a hang in its last case and the stacks, so a hang is always reported by the watchdog.
set(TARVO_WINDOW_TEST_TIMES
    creationTests:10
    processTests:8
    paintTests:25
    canvasTests:10
    drawingEndToEndTests:8
    frameTests:10
    frameEndToEndTests:12
    exportTests:10
    menuTests:8
    exportEndToEndTests:15
    exportFaultTests:6
    soakTests:25
    leakTests:30
    accessibilityTests:10
    accessibilityEndToEndTests:8)
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
