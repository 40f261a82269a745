# Packages made by CPack from the install rules: a Debian package on Linux
# (petalwing_<version>_amd64.deb), a zip on Windows (petalwing-<version>-win32.zip).
set(CPACK_PACKAGE_NAME petalwing)
set(CPACK_PACKAGE_VENDOR "The Petalwing developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-scrolling shooter played on your own desktop")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PETALWING_HOMEPAGE})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  include(CPack)
  return()
endif()

set(PETALWING_MAINTAINER "The Petalwing developers <maintainers@petalwing.example.org>"
    CACHE STRING "The Debian package's maintainer")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PETALWING_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The game's texts are set in the IPA fonts; without them it falls back to another face.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
# The long description's paragraphs; CPack indents them under the summary.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Petalwing has no playfield window: the ship, its shots, the enemies, the
boss, the scenery along the bottom of the screen, the falling petals and the
speech balloons are each a borderless window cut to its silhouette, moving
over whatever else is on the screen.

It plays on an X11 desktop (or XWayland), and on a virtual, scripted,
headless desktop that writes traces and pictures of a game.")

# Debian keeps the licence in the file "copyright" and wants a changelog; both are made for
# the package only, so a plain install keeps its LICENSE.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "\n+$" "" licence "${licence}")
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REGEX REPLACE "\n" "\n " licence "${licence}")
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${licence}")
set(copyright_holder ${CMAKE_MATCH_1})
set(debian ${CMAKE_CURRENT_BINARY_DIR}/debian)
file(WRITE ${debian}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Petalwing
Source: ${PETALWING_HOMEPAGE}

Files: *
Copyright: ${copyright_holder}
License: Expat
 ${licence}
")
execute_process(COMMAND date -u -R -d ${PETALWING_RELEASE_DATE}
                OUTPUT_VARIABLE changelog_date OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
file(WRITE ${debian}/changelog
"petalwing (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}.

 -- ${PETALWING_MAINTAINER}  ${changelog_date}
")
add_custom_command(
  OUTPUT ${debian}/changelog.gz
  COMMAND gzip -9nkf ${debian}/changelog
  DEPENDS ${debian}/changelog
  VERBATIM)
add_custom_target(petalwing_debian_files ALL DEPENDS ${debian}/changelog.gz)
install(FILES ${debian}/copyright ${debian}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Debian EXCLUDE_FROM_ALL)

# One package of the program and Debian's files, without the plain install's LICENSE.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Runtime Debian)
include(CPack)
