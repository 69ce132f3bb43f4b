# Everything comes from Debian packages that scripts/setup installs.

find_package(JUCE CONFIG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(PORTAUDIO REQUIRED portaudio-2.0)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
pkg_check_modules(JACK REQUIRED IMPORTED_TARGET jack)
find_package(Threads REQUIRED)

# PortAudio is linked statically: only the static library gives its diagnostic prints (which
# otherwise go to standard error) to a function of the program's, which puts them in its log.
find_library(PORTAUDIO_STATIC_LIBRARY libportaudio.a HINTS ${PORTAUDIO_LIBRARY_DIRS} REQUIRED)
add_library(sonavel_portaudio INTERFACE)
target_include_directories(sonavel_portaudio SYSTEM INTERFACE ${PORTAUDIO_INCLUDE_DIRS})
target_link_libraries(sonavel_portaudio INTERFACE
    ${PORTAUDIO_STATIC_LIBRARY} PkgConfig::ALSA PkgConfig::JACK m Threads::Threads)
pkg_check_modules(LIBPULSE REQUIRED IMPORTED_TARGET libpulse)
pkg_check_modules(FFTW3F REQUIRED IMPORTED_TARGET fftw3f)
find_package(GTest REQUIRED)
