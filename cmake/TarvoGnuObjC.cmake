# The GNU Objective-C runtime (Debian: libobjc-N-dev for GCC N), on which the tests run the macOS
# toolkit binding on Linux. Sets TARVO_GNU_OBJC_FOUND and defines tarvo_gnu_objc to link against.

# GCC keeps the runtime's headers in its own include folder, beside its stddef.h and the like,
# which must not shadow another compiler's: the target offers a folder holding only objc/.
file(GLOB gccFolders LIST_DIRECTORIES true /usr/lib/gcc/*/*)
find_path(TARVO_GNU_OBJC_INCLUDE_DIR objc/runtime.h
    PATHS ${gccFolders} PATH_SUFFIXES include NO_DEFAULT_PATH)
if(TARVO_GNU_OBJC_INCLUDE_DIR)
    get_filename_component(gccFolder "${TARVO_GNU_OBJC_INCLUDE_DIR}" DIRECTORY)
    find_library(TARVO_GNU_OBJC_LIBRARY objc PATHS "${gccFolder}" NO_DEFAULT_PATH)
endif()

set(TARVO_GNU_OBJC_FOUND OFF)
if(TARVO_GNU_OBJC_INCLUDE_DIR AND TARVO_GNU_OBJC_LIBRARY)
    set(TARVO_GNU_OBJC_FOUND ON)
    set(headers "${CMAKE_BINARY_DIR}/gnu-objc-include")
    file(MAKE_DIRECTORY "${headers}")
    file(CREATE_LINK "${TARVO_GNU_OBJC_INCLUDE_DIR}/objc" "${headers}/objc" SYMBOLIC)
    add_library(tarvo_gnu_objc INTERFACE)
    target_include_directories(tarvo_gnu_objc SYSTEM INTERFACE "${headers}")
    target_link_libraries(tarvo_gnu_objc INTERFACE "${TARVO_GNU_OBJC_LIBRARY}")
    # The GNU runtime's IMP is variadic, not Apple's void (*)(void), so GCC takes every cast
    # between it and a method's exact type for a cast between incompatible function types.
    target_compile_options(tarvo_gnu_objc INTERFACE -Wno-cast-function-type)
endif()
