# The JUCE modules are compiled once into one static library that the app and every test
# binary link, so no binary builds its own copy of them.

add_library(sonavel_juce STATIC)

target_link_libraries(sonavel_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics
        juce::juce_gui_extra   # bubble messages; with JUCE_WEB_BROWSER=0 it needs nothing beyond gui_basics
    PUBLIC
        juce::juce_recommended_config_flags
        Threads::Threads)

target_compile_definitions(sonavel_juce
    PUBLIC
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_STANDALONE_APPLICATION=1
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        # Debian's JUCE ships without the bundled image libraries: use the system's.
        JUCE_INCLUDE_PNGLIB_CODE=0
        JUCE_INCLUDE_JPEGLIB_CODE=0
    INTERFACE
        $<TARGET_PROPERTY:sonavel_juce,COMPILE_DEFINITIONS>)

target_include_directories(sonavel_juce
    INTERFACE $<TARGET_PROPERTY:sonavel_juce,INCLUDE_DIRECTORIES>)

# GCC 12 reports many false -Wdangling-pointer warnings inside JUCE's ListenerList.
# Silence that one for JUCE's own sources only.
target_compile_options(sonavel_juce PRIVATE -Wno-dangling-pointer)

# juce_add_gui_app links these for an app; a plain library must ask for them itself.
find_package(ZLIB REQUIRED)
target_link_libraries(sonavel_juce PRIVATE juce::pkgconfig_JUCE_IMG_LINUX_DEPS ZLIB::ZLIB)
