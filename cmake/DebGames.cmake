# Run by cpack on the staged files, before the Debian package is made from them: puts the
# command where Debian wants a game's and finishes stripping the program.
#
# Debian keeps the commands of games in /usr/games, and a desktop session does not always
# have that folder in its PATH, so the menu entry names the command in full. A plain
# `cmake --install` keeps bin/brindletop.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
set(_usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
if(NOT IS_SYMLINK ${_usr}/bin/brindletop)
    message(FATAL_ERROR "The staged package has no ${_usr}/bin/brindletop")
endif()
# The link is relative and usr/games lies as deep as usr/bin, so it still leads to the program.
file(MAKE_DIRECTORY ${_usr}/games)
file(RENAME ${_usr}/bin/brindletop ${_usr}/games/brindletop)
file(GLOB _rest ${_usr}/bin/*)
if(NOT _rest)
    file(REMOVE_RECURSE ${_usr}/bin)
endif()
set(_desktop ${_usr}/share/applications/org.brindletop.Brindletop.desktop)
file(READ ${_desktop} _entry)
string(REGEX REPLACE "\nExec=brindletop" "\nExec=${CPACK_PACKAGING_INSTALL_PREFIX}/games/brindletop"
       _entry "${_entry}")
file(WRITE ${_desktop} "${_entry}")

# cpack has stripped the symbols already; the compiler's version notes go as well.
if(CPACK_BT_STRIP)
    execute_process(COMMAND ${CPACK_BT_STRIP} --remove-section=.comment --remove-section=.note
                            ${_usr}/lib/brindletop/brindletop
                    RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
        message(FATAL_ERROR "Could not strip ${_usr}/lib/brindletop/brindletop")
    endif()
endif()
