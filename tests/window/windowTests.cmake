# The test programs that run under Wine, one per source file in tests/window.
set(TARVO_WINDOW_TESTS
    creationTests
    processTests
    paintTests
    canvasTests
    drawingEndToEndTests
    frameTests
    frameEndToEndTests
    exportTests
    menuTests
    exportEndToEndTests
    exportFaultTests
    soakTests
    leakTests)
