# The installed application is one self-contained folder: the application
# opens Merivex.mdb beside its executable, so both programs and the database
# lie at the top of the prefix.
#
#   prefix/MerivexDemo, prefix/merivex-db, prefix/Merivex.mdb (made if absent)
#   prefix/share/applications/merivex.desktop
#   prefix/share/icons/hicolor/{16x16,32x32}/apps/merivex.png
#
# The PNGs are the two frames of resources/icons/handshake.ico:
#   convert 'handshake.ico[0]' -strip merivex-32.png   (and [1] for 16 x 16)

# Installing and packaging take what is built, never build: the packaging
# test runs beside other tests, whose programs must not be relinked under them.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS MerivexDemo merivex-db RUNTIME DESTINATION .)
foreach(size 16 32)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/merivex-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME merivex.png)
endforeach()

# While CPack stages a package, cmake/package-config.cmake names the folder
# the package installs to: the desktop entry points there, and no database
# goes into the package (see below).
install(CODE "set(MERIVEX_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/resources/merivex.desktop\")")
install(CODE [[
  # A prefix given as a relative path is relative to where the install runs.
  file(REAL_PATH "${CMAKE_INSTALL_PREFIX}" MERIVEX_FOLDER BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
  if(DEFINED ENV{MERIVEX_PACKAGE_PREFIX})
    set(MERIVEX_FOLDER "$ENV{MERIVEX_PACKAGE_PREFIX}")
  endif()
  set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/merivex.desktop")
  message(STATUS "Installing: ${entry}")
  configure_file("${MERIVEX_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
]])

# The database holds the user's data: it is made only where none exists and
# never replaced. Packages carry none, since unpacking one over an earlier
# installation would replace the data with an empty file; the .deb makes it
# after installing instead, and a user of the archive runs merivex-db create.
install(CODE [[
  set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  if(DEFINED ENV{MERIVEX_PACKAGE_PREFIX})
    message(STATUS "Not packaged: Merivex.mdb (made on the target machine)")
  elseif(EXISTS "${folder}/Merivex.mdb")
    message(STATUS "Kept: ${folder}/Merivex.mdb (existing data are never replaced)")
  else()
    execute_process(COMMAND "${folder}/merivex-db" create "${folder}/Merivex.mdb"
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "merivex-db create failed with status ${status}")
    endif()
  endif()
]])

set(CPACK_PACKAGE_NAME merivex)
set(CPACK_PACKAGE_VENDOR Merivex)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Body weight and BMI tracking for one user")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_GENERATOR TGZ DEB)
# Both packages lay out the same folder; the archive unpacks into it with
# tar -C / -xzf.
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/merivex)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/package-config.cmake)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Merivex developers <merivex@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
