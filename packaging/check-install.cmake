# Installs the build into PREFIX and checks what a desktop reads of it.
foreach(tool DESKTOP_FILE_VALIDATE APPSTREAMCLI MAN)
    if(NOT ${tool})
        message(FATAL_ERROR "${tool} is not installed (scripts/install-deps.sh test)")
    endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cmake --install failed")
endif()

foreach(file bin/rowbit bin/rowbit-cli share/applications/rowbit.desktop
             share/icons/hicolor/scalable/apps/rowbit.svg
             share/metainfo/org.example.rowbit.metainfo.xml
             share/man/man1/rowbit.1.gz share/man/man1/rowbit-cli.1.gz
             share/doc/rowbit/copyright share/doc/rowbit/changelog.gz
             ${COMPLETIONS_DIR}/rowbit-cli)
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} "${PREFIX}/share/applications/rowbit.desktop"
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "desktop-file-validate failed")
endif()
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net
                        "${PREFIX}/share/metainfo/org.example.rowbit.metainfo.xml"
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "appstreamcli validate failed")
endif()

# The manual pages render without a complaint from groff, and name what they are about.
foreach(page rowbit rowbit-cli)
    execute_process(COMMAND ${MAN} --warnings -l "${PREFIX}/share/man/man1/${page}.1.gz"
                    RESULT_VARIABLE failed OUTPUT_VARIABLE shown ERROR_VARIABLE complaints
                    ENCODING UTF-8)
    if(failed OR NOT complaints STREQUAL "")
        message(FATAL_ERROR "man -l ${page}.1.gz failed: ${complaints}")
    endif()
    if(NOT shown MATCHES "EXIT STATUS|OPTIONS")
        message(FATAL_ERROR "man -l ${page}.1.gz shows no options: ${shown}")
    endif()
endforeach()

# The completion is a bash script that defines its function.
execute_process(COMMAND bash -n "${PREFIX}/${COMPLETIONS_DIR}/rowbit-cli" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "the bash completion does not parse")
endif()

# The .deb as Debian's checker sees it: no error. Warnings are shown, not failed on.
if(LINTIAN AND CPACK)
    set(debs "${PREFIX}-deb")
    file(REMOVE_RECURSE "${debs}")
    execute_process(COMMAND ${CPACK} -G DEB -B "${debs}" WORKING_DIRECTORY "${BUILD}"
                    OUTPUT_QUIET RESULT_VARIABLE failed)
    file(GLOB deb "${debs}/*.deb")
    if(failed OR NOT deb)
        message(FATAL_ERROR "cpack could not build the .deb")
    endif()
    execute_process(COMMAND ${LINTIAN} --tag-display-limit 0 ${deb}
                    OUTPUT_VARIABLE report ERROR_VARIABLE ignored)
    message(STATUS "lintian:\n${report}")
    if(report MATCHES "(^|\n)E: ")
        message(FATAL_ERROR "lintian found errors:\n${report}")
    endif()
endif()
