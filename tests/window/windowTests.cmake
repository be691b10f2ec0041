# The test programs that run under Wine, one per source file in tests/window, each with its
# usual run time in seconds on the 2-core machine. CTest stops a program at three times that;
# ten seconds earlier the program's own watchdog reports where it hung and what was on screen.
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
    math(EXPR TARVO_TIMEOUT_${name} "3 * ${seconds}")
endforeach()
