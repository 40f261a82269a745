# What `cmake --install` puts in place. On Linux, under the GNU directories: the program, its
# desktop entry, the icon in the hicolor theme, the AppStream metainfo, the man page and the
# documents. On Windows, a flat folder: the program beside its README and licence.
include(GNUInstallDirs)

set(PETALWING_HOMEPAGE "https://petalwing.example.org" CACHE STRING
    "The project's home page, named in the AppStream data and the package")
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
configure_file(${dist}/${PETALWING_APP_ID}.metainfo.xml.in
               ${made}/${PETALWING_APP_ID}.metainfo.xml @ONLY)
install(FILES ${made}/${PETALWING_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT Runtime)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Runtime)
# Debian's package names the licence "copyright" (see Packaging.cmake).
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
# Dated by the release, not the build, so that every build makes the same page.
execute_process(COMMAND date -u -d ${PETALWING_RELEASE_DATE} +%s
                OUTPUT_VARIABLE release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
add_custom_command(
  OUTPUT ${man}.gz
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${release_epoch}
          ${PETALWING_HELP2MAN} --section=6 --no-info
          "--name=a side-scrolling shooter played on your desktop"
          --include=${dist}/petalwing.h2m --output=${man} $<TARGET_FILE:petalwing>
  COMMAND gzip -9nf ${man}
  DEPENDS petalwing ${dist}/petalwing.h2m
  COMMENT "Making the man page from petalwing --help"
  VERBATIM)
install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT Runtime)

add_custom_target(petalwing_desktop_files ALL DEPENDS ${icons} ${man}.gz)
