# Everything comes from Debian packages that scripts/setup installs.

find_package(JUCE CONFIG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(PORTAUDIO REQUIRED IMPORTED_TARGET portaudio-2.0)
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
