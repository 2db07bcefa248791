# Cross-compiles the macOS arm64 program on Linux with clang, the SDK's libc++ and ld64.lld.
# The SDK never lives in this repository: point TARVO_MACOS_SDK (or the MACOS_SDK environment
# variable) at the root of an extracted macOS 12.0 SDK.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR arm64)
# The deployment target and architecture are the project's own (CMakeLists.txt).

set(TARVO_MACOS_SDK "$ENV{MACOS_SDK}" CACHE PATH "Root of an extracted macOS 12.0 SDK")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TARVO_MACOS_SDK)
if(NOT TARVO_MACOS_SDK OR NOT EXISTS "${TARVO_MACOS_SDK}/usr/include/c++/v1")
    message(FATAL_ERROR
        "The macOS cross build needs the macOS 12.0 SDK. Extract the public repository "
        "hexops-graveyard/sdk-macos-12.0 (its folder root/ is the SDK) and pass its path as "
        "-DTARVO_MACOS_SDK=<path> or in the MACOS_SDK environment variable.")
endif()

set(CMAKE_OSX_SYSROOT "${TARVO_MACOS_SDK}")
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET arm64-apple-macos)
set(CMAKE_CXX_COMPILER_TARGET arm64-apple-macos)
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld")

set(CMAKE_FIND_ROOT_PATH "${TARVO_MACOS_SDK}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
