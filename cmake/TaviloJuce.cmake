# JUCE's modules are INTERFACE targets whose sources compile into every consumer. They are compiled
# here once into the static library tavilo_juce, which re-exports their include paths and
# definitions; the application, the command-line tools, the tests and the benchmarks link it.
# Every JUCE_* switch of the project lives in this file.

add_library(tavilo_juce STATIC)

target_link_libraries(tavilo_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics
        juce::juce_gui_extra
        juce::juce_audio_basics
        juce::juce_audio_devices
        juce::juce_audio_formats
        juce::juce_audio_processors
        juce::juce_audio_utils
        juce::juce_osc
    PUBLIC
        juce::juce_recommended_config_flags)

target_compile_definitions(tavilo_juce
    PUBLIC
        JUCE_STANDALONE_APPLICATION=1
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_USE_CURL=1
        JUCE_LOAD_CURL_SYMBOLS_LAZILY=0
        JUCE_WEB_BROWSER=0
        JUCE_USE_FLAC=0
        JUCE_USE_OGGVORBIS=0
        JUCE_USE_MP3AUDIOFORMAT=0
        JUCE_USE_LAME_AUDIO_FORMAT=0
        JUCE_USE_WINDOWS_MEDIA_FORMAT=0
        JUCE_ALSA=1
        JUCE_JACK=1
        JUCE_PLUGINHOST_VST3=0
        JUCE_PLUGINHOST_LADSPA=0
        JUCE_PLUGINHOST_LV2=0
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_STRICT_REFCOUNTEDPOINTER=1
    INTERFACE
        $<TARGET_PROPERTY:tavilo_juce,COMPILE_DEFINITIONS>)

target_include_directories(tavilo_juce INTERFACE $<TARGET_PROPERTY:tavilo_juce,INCLUDE_DIRECTORIES>)

find_package(PkgConfig REQUIRED)
pkg_check_modules(TAVILO_CURL REQUIRED IMPORTED_TARGET libcurl)
target_link_libraries(tavilo_juce PUBLIC PkgConfig::TAVILO_CURL)

# Debian's JUCE leaves out its bundled image and compression libraries; the system ones stand in.
# Linked only (JUCE includes their headers itself), so no compile flags change.
pkg_check_modules(TAVILO_JUCE_SYSTEM_LIBS REQUIRED libpng libjpeg zlib)
target_link_libraries(tavilo_juce INTERFACE ${TAVILO_JUCE_SYSTEM_LIBS_LINK_LIBRARIES})

set_target_properties(tavilo_juce PROPERTIES
    POSITION_INDEPENDENT_CODE TRUE
    VISIBILITY_INLINES_HIDDEN TRUE
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)
