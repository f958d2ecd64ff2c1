# The real executable, its test variant, the GUI test helper and the bench's Windows tools.
enable_language(RC)

# XP is the oldest target: no API newer than Windows XP.
add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501)
add_link_options(-static -static-libgcc -static-libstdc++ -mwindows)

file(GLOB KH_WIN32_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/win32/*.cpp)
set(KH_SCENARIO_SOURCES ${KH_WIN32_SOURCES})
list(FILTER KH_WIN32_SOURCES EXCLUDE REGEX "/scenario_[^/]*$")
list(FILTER KH_SCENARIO_SOURCES INCLUDE REGEX "/scenario_[^/]*$")
add_library(kh_win32 STATIC ${KH_WIN32_SOURCES})
target_link_libraries(kh_win32 PUBLIC kh_platform user32 gdi32 advapi32)

set(KH_RESOURCES "")
if(EXISTS "${KH_PAYLOAD_DIR}/resources.rc")
    set(KH_RESOURCES "${KH_PAYLOAD_DIR}/resources.rc")
    # windres reads the payload files; a rebuilt payload must be embedded again.
    file(GLOB KH_PAYLOAD_FILES "${KH_PAYLOAD_DIR}/*")
    list(REMOVE_ITEM KH_PAYLOAD_FILES "${KH_PAYLOAD_DIR}/resources.rc")
    set_source_files_properties(${KH_RESOURCES} PROPERTIES OBJECT_DEPENDS "${KH_PAYLOAD_FILES}")
endif()

add_executable(KorvaneHelper WIN32 app/win32/main_window.cpp ${KH_RESOURCES})
target_link_libraries(KorvaneHelper PRIVATE kh_app kh_win32)

# Identical to the product but for the scenario seam, which only it links; never shipped.
add_library(kh_scenario STATIC ${KH_SCENARIO_SOURCES})
target_link_libraries(kh_scenario PUBLIC kh_win32)
add_executable(KorvaneHelper-test WIN32 app/win32/main_window.cpp ${KH_RESOURCES})
target_link_libraries(KorvaneHelper-test PRIVATE kh_app kh_scenario)
target_compile_definitions(KorvaneHelper-test PRIVATE KH_SCENARIO_SEAM)

# Test tools of the project's own, run under Wine.
add_executable(guihelper tests/wine/guihelper/guihelper.cpp)
set_target_properties(guihelper PROPERTIES LINK_FLAGS "-mconsole")
target_link_libraries(guihelper PRIVATE user32)

# make bench: its stopwatch, and the smallest window program, the yardstick of the start-up time.
add_executable(stopwatch bench/stopwatch.cpp)
set_target_properties(stopwatch PROPERTIES LINK_FLAGS "-mconsole")
target_link_libraries(stopwatch PRIVATE user32)
add_executable(hello_window WIN32 bench/hello_window.cpp)
target_link_libraries(hello_window PRIVATE user32)
