# Installing and packaging. On macOS the product is Tarvo.app, installed into /Applications unless
# a prefix is given, and packed as a zip (any macOS build, the cross build on Linux included) and,
# on a Mac, a disk image to drag it from. Elsewhere it is bin/tarvo with the README and the
# licence, in a tarball.
# Only a build that signs Tarvo.app (a Mac's, with codesign) makes a release: any other zip says
# that it is unsigned (the cross build's carries only the linker's signature of the executable).

if(APPLE)
    if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
        set(CMAKE_INSTALL_PREFIX /Applications CACHE PATH "Where Tarvo.app is installed" FORCE)
    endif()
    install(TARGETS tarvo BUNDLE DESTINATION .)
    string(REPLACE ";" "-" architectures "${CMAKE_OSX_ARCHITECTURES}")
    set(CPACK_PACKAGE_FILE_NAME "Tarvo-${PROJECT_VERSION}-macos-${architectures}")
    if(NOT CODESIGN)
        string(APPEND CPACK_PACKAGE_FILE_NAME "-unsigned")
    endif()
    # Unpacking gives Tarvo.app itself, ready to drag into Applications.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(CPACK_GENERATOR ZIP)
    if(CMAKE_HOST_APPLE)
        list(APPEND CPACK_GENERATOR DragNDrop)
        set(CPACK_DMG_VOLUME_NAME Tarvo)
    endif()
else()
    include(GNUInstallDirs)
    install(TARGETS tarvo RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
    install(FILES README.md LICENSE DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/tarvo")
    string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" system)
    set(CPACK_PACKAGE_FILE_NAME "Tarvo-${PROJECT_VERSION}-${system}")
    set(CPACK_GENERATOR TGZ)
    # The debugging symbols stay in the build tree. (A Mac package is never stripped: that would
    # break the bundle's signature.)
    set(CPACK_STRIP_FILES ON)
endif()

set(CPACK_PACKAGE_NAME Tarvo)
set(CPACK_PACKAGE_VENDOR Tarvo)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A tiny, fast system monitor in the menu bar")
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)
