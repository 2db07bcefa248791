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

# tarvo_library(<name> <source>... [LINKS <target>...] [IMPLEMENTS <platform function>...])
# A static library of the program, compiled with the project's settings. IMPLEMENTS names the
# platform functions whose implementation it holds, one of several (real or simulated).
function(tarvo_library name)
    cmake_parse_arguments(ARG "" "" "LINKS;IMPLEMENTS" ${ARGN})
    add_library(${name} STATIC ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PUBLIC tarvo_settings ${ARG_LINKS})
    set_target_properties(${name} PROPERTIES TARVO_IMPLEMENTS "${ARG_IMPLEMENTS}")
endfunction()

# The libraries that `target` links, directly or through others, into `result`.
function(tarvo_linked_libraries target result)
    set(found "")
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending item)
        if(NOT TARGET ${item} OR item IN_LIST found)
            continue()
        endif()
        list(APPEND found ${item})
        get_target_property(type ${item} TYPE)
        if(type STREQUAL "EXECUTABLE")
            get_target_property(links ${item} LINK_LIBRARIES)
        else()
            get_target_property(links ${item} INTERFACE_LINK_LIBRARIES)
        endif()
        if(links)
            list(APPEND pending ${links})
        endif()
    endwhile()
    set(${result} ${found} PARENT_SCOPE)
endfunction()

# A static archive gives the linker the first definition it meets: a program that linked a
# simulated piece ahead of the real one would silently run on the simulated one. So a program
# that links two implementations of one platform function is an error, named here.
function(tarvo_check_platform_links)
    get_property(programs GLOBAL PROPERTY TARVO_PROGRAMS)
    foreach(program ${programs})
        tarvo_linked_libraries(${program} libraries)
        foreach(library ${libraries})
            get_property(functions TARGET ${library} PROPERTY TARVO_IMPLEMENTS)
            foreach(function ${functions})
                set(owner owner_${program}_${function})
                if(DEFINED ${owner})
                    message(FATAL_ERROR "${program} links two implementations of ${function}: "
                                        "${${owner}} and ${library}")
                endif()
                set(${owner} ${library})
            endforeach()
        endforeach()
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY "${PROJECT_SOURCE_DIR}" CALL tarvo_check_platform_links)

# A program whose platform links are checked once every target is known.
function(tarvo_checked_program name)
    set_property(GLOBAL APPEND PROPERTY TARVO_PROGRAMS ${name})
endfunction()
