# Installs the build into PREFIX and checks what a desktop reads of it.
foreach(tool DESKTOP_FILE_VALIDATE APPSTREAMCLI)
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
             share/metainfo/org.example.rowbit.metainfo.xml)
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
