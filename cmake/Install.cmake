# What `cmake --install` puts in place. On Linux, under the GNU directories: the program, its
# desktop entry, the icon in the hicolor theme, the AppStream metainfo, the man page and the
# documents. On Windows, a flat folder: the program beside its README and licence.
include(GNUInstallDirs)

# Addresses the AppStream data names only once they exist: empty leaves them out.
set(PETALWING_HOMEPAGE "" CACHE STRING "The project's home page (AppStream url)")
set(PETALWING_SCREENSHOT "" CACHE STRING
    "Where the AppStream screenshot (docs/screenshot.png) is published")
set(PETALWING_APP_ID org.petalwing.Petalwing)
# The day this version was released: AppStream data names it.
set(PETALWING_RELEASE_DATE 2026-12-09)

if(WIN32)
  install(TARGETS petalwing RUNTIME DESTINATION . COMPONENT Runtime)
  install(FILES README.md DESTINATION . RENAME README.txt COMPONENT Runtime)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT Runtime)
  return()
endif()

set(dist ${CMAKE_CURRENT_SOURCE_DIR}/dist/linux)
set(made ${CMAKE_CURRENT_BINARY_DIR}/dist)

install(TARGETS petalwing RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
install(FILES ${dist}/${PETALWING_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Runtime)
set(PETALWING_METAINFO_URL "")
if(PETALWING_HOMEPAGE)
  set(PETALWING_METAINFO_URL "\n  <url type=\"homepage\">${PETALWING_HOMEPAGE}</url>")
endif()
set(PETALWING_METAINFO_SCREENSHOTS "")
if(PETALWING_SCREENSHOT)
  string(CONCAT PETALWING_METAINFO_SCREENSHOTS "\n  <screenshots>\n"
         "    <screenshot type=\"default\">\n"
         "      <caption>The boss speaks as the ship reaches the right end of the screen</caption>\n"
         "      <image>${PETALWING_SCREENSHOT}</image>\n"
         "    </screenshot>\n  </screenshots>")
endif()
configure_file(${dist}/${PETALWING_APP_ID}.metainfo.xml.in
               ${made}/${PETALWING_APP_ID}.metainfo.xml @ONLY)
install(FILES ${made}/${PETALWING_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT Runtime)
# The README with the pictures it shows, and the release notes.
install(FILES README.md NEWS.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Runtime)
install(FILES docs/screenshot.png docs/play.gif DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs
        COMPONENT Runtime)
# Debian's package carries the licence as its "copyright" file instead (debian/rules).
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Licence)

# The icon theme's usual sizes, from the 32-pixel art without blurring it.
add_executable(iconscale art/tools/iconscale.cpp)
target_link_libraries(iconscale PRIVATE PkgConfig::CAIRO)
set(icons)
foreach(size 16 24 32 48 64 128 256)
  set(icon ${made}/icons/${size}x${size}/${PETALWING_APP_ID}.png)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${made}/icons/${size}x${size}
    COMMAND iconscale ${CMAKE_CURRENT_SOURCE_DIR}/art/icon.png ${size} ${icon}
    DEPENDS iconscale ${CMAKE_CURRENT_SOURCE_DIR}/art/icon.png
    VERBATIM)
  list(APPEND icons ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          COMPONENT Runtime)
endforeach()

# The man page is the program's own --help and --version, with a few sections of its own.
find_program(PETALWING_HELP2MAN help2man)
if(NOT PETALWING_HELP2MAN)
  message(FATAL_ERROR "help2man makes the man page: install it (scripts/install-deps.sh)")
endif()
set(man ${made}/petalwing.6)
# The page's own sections name the installed README; Debian's is compressed.
set(PETALWING_INSTALLED_README ${CMAKE_INSTALL_FULL_DOCDIR}/README.md CACHE STRING
    "The installed README's path, named by the man page")
configure_file(${dist}/petalwing.h2m.in ${made}/petalwing.h2m @ONLY)
# Dated by the release, not the build, so that every build makes the same page.
execute_process(COMMAND date -u -d ${PETALWING_RELEASE_DATE} +%s
                OUTPUT_VARIABLE release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
add_custom_command(
  OUTPUT ${man}.gz
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${release_epoch}
          ${PETALWING_HELP2MAN} --section=6 --no-info
          "--name=a side-scrolling shooter played on your desktop"
          --include=${made}/petalwing.h2m --output=${man} $<TARGET_FILE:petalwing>
  COMMAND gzip -9nf ${man}
  DEPENDS petalwing ${made}/petalwing.h2m
  COMMENT "Making the man page from petalwing --help"
  VERBATIM)
install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT Runtime)

add_custom_target(petalwing_desktop_files ALL DEPENDS ${icons} ${man}.gz)
