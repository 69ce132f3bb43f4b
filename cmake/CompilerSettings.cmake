# Compiler, build-speed and warning settings shared by every target.

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

# ccache makes rebuilds of the JUCE modules nearly free, also across build folders and
# checkouts: paths below the source tree are hashed relative to it, and the build folder is not.
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(ccache_launcher "${CMAKE_COMMAND}" -E env "CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}"
        CCACHE_NOHASHDIR=1 "${CCACHE_PROGRAM}")
    set(CMAKE_C_COMPILER_LAUNCHER ${ccache_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${ccache_launcher})
endif()

# Link-time optimisation turns a 5 s incremental build into more than a minute: opt in only.
option(SONAVEL_LTO "Build with link-time optimisation" OFF)
set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ${SONAVEL_LTO})

# The project's own code: strict warnings. JUCE's sources get their own, quieter set.
add_library(sonavel_warnings INTERFACE)
target_compile_options(sonavel_warnings INTERFACE -Wall -Wextra)
option(SONAVEL_WERROR "Treat warnings in the project's own code as errors" OFF)
if(SONAVEL_WERROR)
    target_compile_options(sonavel_warnings INTERFACE -Werror)
endif()
