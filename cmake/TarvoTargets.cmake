# Project-wide compile settings shared by every target.

add_library(tarvo_settings INTERFACE)
target_include_directories(tarvo_settings INTERFACE "${PROJECT_SOURCE_DIR}/src")
target_compile_options(tarvo_settings INTERFACE -Wall -Wextra -Wpedantic)
if(TARVO_WERROR)
    target_compile_options(tarvo_settings INTERFACE -Werror)
endif()
# Where tests or fuzz targets run, the standard library checks its bounds: an index past a
# std::array or a span ends the run there instead of corrupting what lies beyond.
if(TARVO_BUILD_TESTS OR TARVO_BUILD_FUZZERS)
    target_compile_definitions(tarvo_settings INTERFACE _GLIBCXX_ASSERTIONS)
endif()

if(TARVO_BUILD_FUZZERS)
    # Coverage instrumentation for everything the fuzz targets reach.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(TARVO_SANITIZE)
    add_compile_options(-fsanitize=${TARVO_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${TARVO_SANITIZE})
endif()

# tarvo_library(<name> <source>... [LINKS <target>...])
# A static library of the program, compiled with the project's settings.
function(tarvo_library name)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    add_library(${name} STATIC ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PUBLIC tarvo_settings ${ARG_LINKS})
endfunction()
