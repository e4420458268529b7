# Installing the game, to any prefix, and the Debian package made from it.
#
# The program looks for its help file in HELP/ beside its own executable, so the real
# executable and HELP/bt.chm share a private folder, and bin/brindletop is a relative link
# to it: the link resolves to the private folder, whatever the prefix. That folder is not
# writable for players, so an installed game keeps its settings in the user's
# configuration folder.
#
#   cmake --install <build> --prefix <dir>
#   cd <build> && cpack -G DEB          # brindletop_<version>_<arch>.deb

set(BT_APP_ID org.brindletop.Brindletop)
set(BT_PRIVATE_DIR lib/brindletop)
set(_bt_packaging ${CMAKE_CURRENT_LIST_DIR}/../packaging)
cmake_path(NORMAL_PATH _bt_packaging)

# Installed folders get the usual 755, whatever the umask of the person installing.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS brindletop RUNTIME DESTINATION ${BT_PRIVATE_DIR})
if(TARGET bt_help_file)
    install(FILES ${CMAKE_BINARY_DIR}/HELP/bt.chm DESTINATION ${BT_PRIVATE_DIR}/HELP)
else()
    message(WARNING "The help file is not built, so an installed game has no help.")
endif()

# The command, as a relative link made in the build tree and installed as it is.
set(_bt_link ${CMAKE_BINARY_DIR}/install/brindletop)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install)
file(CREATE_LINK ../${BT_PRIVATE_DIR}/brindletop ${_bt_link} SYMBOLIC)
install(FILES ${_bt_link} DESTINATION bin)

# The desktop's menu entry, the software centre's description and the icons.
install(FILES ${_bt_packaging}/${BT_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${_bt_packaging}/${BT_APP_ID}.metainfo.xml DESTINATION share/metainfo)
# The pictures' generator draws the icon into icons/<size>/ of the build tree. Only the
# sizes (and a scalable icon) that exist are installed, so no empty folders are left.
set(_bt_icons [=[
foreach(size 16 24 32 48 64 128 256 512 scalable)
    if(size STREQUAL "scalable")
        set(icon "@CMAKE_BINARY_DIR@/icons/scalable/@BT_APP_ID@.svg")
        set(folder share/icons/hicolor/scalable/apps)
    else()
        set(icon "@CMAKE_BINARY_DIR@/icons/${size}/@BT_APP_ID@.png")
        set(folder share/icons/hicolor/${size}x${size}/apps)
    endif()
    if(EXISTS "${icon}")
        file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${folder}" TYPE FILE FILES "${icon}")
    endif()
endforeach()
]=])
string(CONFIGURE "${_bt_icons}" _bt_icons @ONLY)
install(CODE "${_bt_icons}")

# The manual page and the documents every Debian package carries, compressed the way
# Debian wants them: gzip -9 without a name or time stamp, so builds are reproducible.
find_program(BT_GZIP gzip REQUIRED)
set(_bt_docs ${CMAKE_BINARY_DIR}/install/brindletop.6.gz ${CMAKE_BINARY_DIR}/install/changelog.gz)
add_custom_command(
    OUTPUT ${_bt_docs}
    COMMAND ${BT_GZIP} -9nc ${_bt_packaging}/brindletop.6 > ${CMAKE_BINARY_DIR}/install/brindletop.6.gz
    COMMAND ${BT_GZIP} -9nc ${_bt_packaging}/changelog > ${CMAKE_BINARY_DIR}/install/changelog.gz
    DEPENDS ${_bt_packaging}/brindletop.6 ${_bt_packaging}/changelog
    COMMENT "Compressing the manual page and the changelog")
add_custom_target(bt_install_docs ALL DEPENDS ${_bt_docs})
install(FILES ${CMAKE_BINARY_DIR}/install/brindletop.6.gz DESTINATION share/man/man6)
install(FILES ${_bt_packaging}/copyright ${CMAKE_BINARY_DIR}/install/changelog.gz
        DESTINATION share/doc/brindletop)

# A release changes the version in three places; catch the one that was forgotten.
foreach(_bt_file changelog ${BT_APP_ID}.metainfo.xml)
    file(READ ${_bt_packaging}/${_bt_file} _bt_text)
    if(NOT _bt_text MATCHES "(brindletop \\(|release version=\")${PROJECT_VERSION}[)\"]")
        message(FATAL_ERROR "packaging/${_bt_file} has no entry for version ${PROJECT_VERSION}")
    endif()
endforeach()

# cpack -G DEB: installs under /usr, the command in /usr/games as Debian wants it for a
# game; the libraries it needs come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindletop)
set(CPACK_PACKAGE_VENDOR "Brindletop developers")
set(CPACK_PACKAGE_CONTACT "Brindletop developers <dev@brindletop.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brindletop developers <dev@brindletop.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window and the dialogs fall back to Liberation Sans where Tahoma is missing.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
# Qt's Wayland plugin lets the game run as a native client of a Wayland desktop; without
# it the game runs through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebGames.cmake)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "card game of periods, goals and a ticking clock")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[Brindletop is a card game for one person against the computer, scored
like a hockey match. Each side has a goal, two defenders and three forwards
on a green table and plays the top card of one shared pack: fill your own
line-up, beat the opponent's cards, and shoot once their goal is open.

Every card played runs the period clock down by thirty seconds. Three
periods make a game, a level score goes to overtime, and a series runs over
one, three, five or seven games. The computer plays as Rookie, Pro or
All-Star.]=])
# For the staged program: Debian's packages also drop the compiler's notes.
set(CPACK_BT_STRIP ${CMAKE_STRIP})
include(CPack)

if(BT_BUILD_TESTS)
    find_program(BT_DESKTOP_FILE_VALIDATE desktop-file-validate)
    find_program(BT_APPSTREAMCLI appstreamcli)
    set(_bt_validators)
    if(TARGET bt_help_file)
        list(APPEND _bt_validators -DWITH_HELP=ON)
    endif()
    foreach(tool DESKTOP_FILE_VALIDATE APPSTREAMCLI)
        if(BT_${tool})
            list(APPEND _bt_validators -D${tool}=${BT_${tool}})
        endif()
    endforeach()
    add_test(NAME install_into_prefix
             COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                     -DPREFIX=${CMAKE_BINARY_DIR}/install-test ${_bt_validators}
                     -P ${CMAKE_CURRENT_LIST_DIR}/InstallTest.cmake)
    set_tests_properties(install_into_prefix PROPERTIES
                         ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 120)
endif()
