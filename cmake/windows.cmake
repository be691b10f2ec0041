# The Windows side: Tarvo.exe, plus the window tests and benchmarks that link
# the same product code (everything but WinMain) and run under Wine.
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
add_compile_options(${WARNINGS})
if(MSVC)
    # The C++ runtime goes into the exe (/MT), so Windows needs no Visual C++ redistributable. The
    # manifest is tarvo.rc's own: without /MANIFEST:NO the linker embeds a second one with the same
    # id, and cvtres stops with CVT1100 "duplicate resource".
    set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    add_link_options(/MANIFEST:NO)
endif()
if(MINGW)
    # The MinGW runtime goes into the exe, so Windows needs no extra DLLs. No link time in the
    # PE header and no build folder in the code, so one commit always builds the same bytes.
    add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s> -Wl,--no-insert-timestamp)
    add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
endif()

set(TARVO_SOURCES
    src/app/window.cpp
    src/app/input.cpp
    src/render/deviceResources.cpp
    src/render/paint.cpp
    src/chrome/layout.cpp
    src/chrome/windowLayout.cpp
    src/chrome/frame.cpp
    src/canvas/lineStore.cpp
    src/canvas/canvasInput.cpp
    src/menu/menuTable.cpp
    src/menu/appMenu.cpp
    src/menu/exportImage.cpp
    src/accessibility/accessibleActions.cpp
    src/accessibility/accessibleEvents.cpp
    src/accessibility/accessibleObject.cpp
    src/accessibility/accessibleSelection.cpp
    src/accessibility/accessibleTree.cpp
    src/accessibility/accessibleView.cpp)
# uuid before oleacc, which would define IID_IAccessible a second time.
set(TARVO_LIBRARIES d2d1 dwrite windowscodecs ole32 oleaut32 uuid oleacc comdlg32 user32 gdi32)
if(MSVC)
    list(APPEND TARVO_LIBRARIES dxguid) # CLSID_D2D1GaussianBlur; MinGW's libuuid holds it
endif()

add_library(tarvoCore STATIC ${TARVO_SOURCES})
target_link_libraries(tarvoCore PUBLIC ${TARVO_LIBRARIES})

# Icons, logo, version record and manifest, linked into Tarvo.exe and into every
# window test (the logo is read from the running module's resources).
configure_file(res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
configure_file(res/readme.txt.in ${CMAKE_BINARY_DIR}/readme.txt @ONLY)
configure_file(packaging/release.env.in ${CMAKE_BINARY_DIR}/release.env @ONLY)
add_library(tarvoResources OBJECT res/tarvo.rc)
target_include_directories(tarvoResources PRIVATE ${CMAKE_BINARY_DIR}/generated)
set_source_files_properties(res/tarvo.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/res/tarvo.ico;${CMAKE_SOURCE_DIR}/res/logo.png;${CMAKE_SOURCE_DIR}/res/tarvo.manifest")

add_executable(Tarvo WIN32 src/app/main.cpp $<TARGET_OBJECTS:tarvoResources>)
target_link_libraries(Tarvo PRIVATE tarvoCore)
if(MINGW)
    # Which libraries went into the exe: the release's notices are written from this map.
    target_link_options(Tarvo PRIVATE -Wl,-Map=${CMAKE_BINARY_DIR}/Tarvo.map)
endif()

# The release (zip, installer, checksums) is packed from this build by packaging/makePackages.sh.

if(NOT TARVO_TESTS)
    message(STATUS "doctest/doctest.h not found (DOCTEST_INCLUDE_DIR): building Tarvo.exe only; "
                   "the tests and benchmarks are skipped")
    return()
endif()

# doctest is header-only; copy it so the cross compiler never sees /usr/include.
configure_file(${DOCTEST_INCLUDE_DIR}/doctest/doctest.h ${CMAKE_BINARY_DIR}/doctest/doctest/doctest.h COPYONLY)

include(tests/window/windowTests.cmake)
add_subdirectory(tests/window)
add_subdirectory(bench/window)

# On Windows itself CTest runs the unit tests and the window tests directly; a cross build's
# tests are registered by the native build, which runs them under Wine.
if(CMAKE_HOST_WIN32)
    enable_testing()
    add_subdirectory(tests/native)
    foreach(name ${TARVO_WINDOW_TESTS})
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop TIMEOUT ${TARVO_TIMEOUT_${name}} ENVIRONMENT
                             "TARVO_TEST_DEADLINE_S=${TARVO_WATCHDOG_${name}};TARVO_EXE=$<TARGET_FILE:Tarvo>")
    endforeach()
endif()
