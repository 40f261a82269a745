# The Windows zip (petalwing-<version>-win32.zip), made by CPack from the install rules. The
# Debian package is built the Debian way, from debian/ (scripts/make-deb.sh).
if(NOT WIN32)
  return()
endif()
set(CPACK_PACKAGE_NAME petalwing)
set(CPACK_PACKAGE_VENDOR "The Petalwing developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-scrolling shooter played on your own desktop")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR ZIP)
set(CPACK_SYSTEM_NAME win32)
include(CPack)
