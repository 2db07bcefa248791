# tarvo_link_appkit(<target>)
# Links <target> to AppKit with every import bound two-level, to the library that exports it.
# AppKit re-exports ApplicationServices, Foundation and the private UIFoundation framework, which
# hands out the text attribute names (NSFontAttributeName and its kin). An SDK whose AppKit link
# stub lost those re-exports, while still carrying UIFoundation's own exports (the public macOS
# 12.0 SDK of the cross build is one), cannot bind those names to AppKit; the target then links a
# copy of the stub, written to the build tree, that declares the three re-exports again, as
# Apple's own stub does, so that a symbol links here as it would on a Mac.
function(tarvo_link_appkit target)
    set(uiFoundation
        "/System/Library/PrivateFrameworks/UIFoundation.framework/Versions/A/UIFoundation")
    set(frameworks "/System/Library/Frameworks")
    string(CONCAT reexported
        "'${frameworks}/ApplicationServices.framework/Versions/A/ApplicationServices', "
        "'${frameworks}/Foundation.framework/Versions/C/Foundation', '${uiFoundation}'")
    set(stub
        "${CMAKE_OSX_SYSROOT}/System/Library/Frameworks/AppKit.framework/Versions/C/AppKit.tbd")
    if(EXISTS "${stub}")
        file(READ "${stub}" text)
        # The first document is AppKit's own; the documents after it are its inlined libraries.
        string(FIND "${text}" "\n--- !tapi-tbd" end)
        string(SUBSTRING "${text}" 0 ${end} appKit)
        string(SUBSTRING "${text}" ${end} -1 inlined)
        string(FIND "${inlined}" "install-name:    '${uiFoundation}'" inlinesUIFoundation)
        if(NOT appKit MATCHES "reexported-libraries:" AND inlinesUIFoundation GREATER -1)
            string(REGEX MATCH "\ntargets: +\\[[^]]*\\]" targets "${appKit}")
            string(REGEX REPLACE "\ntargets: +" "" targets "${targets}")
            string(REGEX REPLACE "(\ncompatibility-version:[^\n]*\n)"
                "\\1reexported-libraries:\n  - targets:         ${targets}\n    libraries:       [ ${reexported} ]\n"
                appKit "${appKit}")
            set(folder "${CMAKE_BINARY_DIR}/link-stubs")
            file(WRITE "${folder}/AppKit.framework/AppKit.tbd" "${appKit}${inlined}")
            target_link_options(${target} PUBLIC "-F${folder}")
        endif()
    endif()
    target_link_libraries(${target} PUBLIC "-framework AppKit")
endfunction()
