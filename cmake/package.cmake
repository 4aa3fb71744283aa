# The Debian package: `make package` runs CPack in the build folder, which
# makes quenby_VERSION-REVISION_ARCH.deb of what install.cmake installs, under
# /usr, with the programs stripped and their Depends found by dpkg-shlibdeps.
#
# packaging/debian/changelog is the release log. Its first entry names this
# version, and gives the package's revision, its maintainer and the release
# date (also the date of the AppStream release).
set(changelog ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog}
                                                              ${PROJECT_SOURCE_DIR}/LICENSE)
file(STRINGS ${changelog} entry_head LIMIT_COUNT 1)
file(STRINGS ${changelog} entry_trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT entry_head MATCHES "^quenby \\(([^)-]+)-([^)]+)\\)")
    message(FATAL_ERROR "${changelog}: the first line is not 'quenby (VERSION-REVISION) ...'")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${changelog}: the newest entry is ${CMAKE_MATCH_1}, the project ${PROJECT_VERSION}")
endif()
set(package_revision ${CMAKE_MATCH_2})
if(NOT entry_trailer MATCHES "^ -- (.+ <[^>]+>)  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "${changelog}: the first entry has no ' -- NAME <MAIL>  DATE' line")
endif()
set(package_maintainer "${CMAKE_MATCH_1}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_3} month)
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
if(month LESS 10)
    set(month 0${month})
endif()
set(QUENBY_RELEASE_DATE ${CMAKE_MATCH_4}-${month}-${CMAKE_MATCH_2})

# The copyright file in Debian's machine-readable form, made from LICENSE:
# its copyright line, and its text, indented, as the licence.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
    message(FATAL_ERROR "LICENSE: no 'Copyright (c) YEAR HOLDER' line before the licence text")
endif()
set(QUENBY_COPYRIGHT "${CMAKE_MATCH_1}")
string(REPLACE "\n" "\n " QUENBY_LICENSE_TEXT " ${CMAKE_MATCH_2}")
string(REPLACE "\n \n" "\n .\n" QUENBY_LICENSE_TEXT "${QUENBY_LICENSE_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright.in ${CMAKE_BINARY_DIR}/copyright
               @ONLY)

# Debian keeps the release log compressed as changelog.Debian.gz.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.Debian.gz
    COMMAND ${GZIP} -9 -n -c ${changelog} > ${CMAKE_BINARY_DIR}/changelog.Debian.gz
    DEPENDS ${changelog}
    VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.Debian.gz)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenby)
set(CPACK_PACKAGE_VENDOR "The Quenby developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${package_revision})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${package_maintainer}")
set(CPACK_PACKAGE_CONTACT "${package_maintainer}")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "take vowels, spaces, numbers or a string out of a text as you type")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quenby is a small desktop text tool. Paste or type a text into its input box
and the output box shows it, live, with the characters you chose taken out:
the vowels (with or without Y, in upper case, lower case or both), spaces,
numbers, punctuation, up to ten characters of your own (each replaced by a
marker or dropped), and one string, found with or without regard to letter
case and replaced by another, with the number of its occurrences shown.

The command quenby-strip applies the same rules to files and pipes.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Qt platform plugin for a Wayland session, and the font the window's
# fixed layout is measured in.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-dejavu-extra")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# One package of every component: the default one and "debian", the files
# only a Debian package has (install.cmake).
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)
include(CPack)
