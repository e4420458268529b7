# Installs a build tree into a fresh prefix, checks what the desktop and the game need
# there, and starts the installed command: it must still run when the time is up.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<dir> [-DWITH_HELP=ON] [-DDESKTOP_FILE_VALIDATE=..]
#         [-DAPPSTREAMCLI=..] -P InstallTest.cmake
set(_id org.brindletop.Brindletop)

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${rc}):\n${err}")
endif()

set(_files bin/brindletop lib/brindletop/brindletop
    share/applications/${_id}.desktop share/metainfo/${_id}.metainfo.xml
    share/man/man6/brindletop.6.gz share/doc/brindletop/copyright
    share/doc/brindletop/changelog.gz)
if(WITH_HELP)
    list(APPEND _files lib/brindletop/HELP/bt.chm)
endif()
foreach(size 16 24 32 48 64 128 256 512)
    list(APPEND _files share/icons/hicolor/${size}x${size}/apps/${_id}.png)
endforeach()
foreach(file IN LISTS _files)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "${file} is not installed")
    endif()
endforeach()

# The command must lead to the private folder, where the help file is found.
file(REAL_PATH ${PREFIX}/bin/brindletop command)
file(REAL_PATH ${PREFIX}/lib/brindletop/brindletop program)
if(NOT IS_SYMLINK ${PREFIX}/bin/brindletop OR NOT command STREQUAL program)
    message(FATAL_ERROR "bin/brindletop does not lead to ${program}")
endif()

if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/${_id}.desktop
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0 OR out)
        message(FATAL_ERROR "desktop-file-validate:\n${out}")
    endif()
endif()
if(APPSTREAMCLI)
    execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --pedantic
                            ${PREFIX}/share/metainfo/${_id}.metainfo.xml
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "appstreamcli validate:\n${out}")
    endif()
endif()

# A home of its own, so the run cannot touch the real one.
file(MAKE_DIRECTORY ${PREFIX}/home)
set(ENV{HOME} ${PREFIX}/home)
set(ENV{XDG_CONFIG_HOME} ${PREFIX}/home/.config)
execute_process(COMMAND ${PREFIX}/bin/brindletop TIMEOUT 4
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc MATCHES "timeout")
    message(FATAL_ERROR "The installed program ended at once (${rc}):\n${out}")
endif()
file(REMOVE_RECURSE ${PREFIX})
