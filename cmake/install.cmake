# One build tree installs in two forms.
#
# A portable folder, `cmake --install build --prefix DIR` (components
# Unspecified and portable): the application opens Merivex.mdb beside its
# executable, so both programs and the database lie at the top of DIR.
#
#   DIR/MerivexDemo, DIR/merivex-db, DIR/Merivex.mdb (made if absent)
#   DIR/share/applications/merivex.desktop (running DIR/MerivexDemo)
#
# The system-wide package that cpack makes (components Unspecified and
# system, prefix /usr), laid out as Debian expects. The marker data-in-home
# beside the programs tells them that each user's file lies in the user's own
# $XDG_DATA_HOME/merivex, so the package carries no database:
#
#   /usr/lib/merivex/{MerivexDemo,merivex-db,data-in-home}, links in /usr/bin
#   /usr/share/applications/merivex.desktop, metainfo/org.merivex.merivex.metainfo.xml
#   /usr/share/doc/merivex/{copyright,changelog.gz}
#
# Both: share/icons/hicolor/<size>/apps/merivex.png, share/man/man1/*.1.gz.
# The 16 and 32 pixel icons are the two frames of resources/icons/handshake.ico,
# the larger ones the same drawing at full colour (tools/make-pictures.sh).

# Installing and packaging take what is built, never build: the packaging
# test runs beside other tests, whose programs must not be relinked under them.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/merivex-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME merivex.png)
endforeach()

# Compressed at build time, as the manual and Debian's documentation rules want.
set(compressed)
foreach(page man/MerivexDemo.1 man/merivex-db.1 debian/changelog)
  get_filename_component(name ${page} NAME)
  if(page MATCHES "^man/")
    set(source ${CMAKE_SOURCE_DIR}/resources/${page})
  else()
    set(source ${CMAKE_SOURCE_DIR}/cmake/${page})
  endif()
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/share/${name}.gz
    COMMAND gzip -9n -c ${source} > ${CMAKE_BINARY_DIR}/share/${name}.gz
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/share/${name}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/share/MerivexDemo.1.gz ${CMAKE_BINARY_DIR}/share/merivex-db.1.gz
  DESTINATION share/man/man1)

# The portable folder.
install(TARGETS MerivexDemo merivex-db RUNTIME DESTINATION . COMPONENT portable)
install(CODE "set(MERIVEX_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/resources/merivex.desktop\")"
  COMPONENT portable)
install(CODE [[
  # A prefix given as a relative path is relative to where the install runs.
  file(REAL_PATH "${CMAKE_INSTALL_PREFIX}" MERIVEX_FOLDER BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
  set(MERIVEX_EXEC "\"${MERIVEX_FOLDER}/MerivexDemo\"")
  set(MERIVEX_ICON "${MERIVEX_FOLDER}/share/icons/hicolor/48x48/apps/merivex.png")
  set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/merivex.desktop")
  message(STATUS "Installing: ${entry}")
  configure_file("${MERIVEX_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
]] COMPONENT portable)
# The database holds the user's data: it is made only where none exists and
# never replaced.
install(CODE [[
  set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  if(EXISTS "${folder}/Merivex.mdb")
    message(STATUS "Kept: ${folder}/Merivex.mdb (existing data are never replaced)")
  else()
    execute_process(COMMAND "${folder}/merivex-db" create "${folder}/Merivex.mdb"
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "merivex-db create failed with status ${status}")
    endif()
  endif()
]] COMPONENT portable)

# The system-wide installation.
install(TARGETS MerivexDemo merivex-db RUNTIME DESTINATION lib/merivex
  COMPONENT system EXCLUDE_FROM_ALL)
file(WRITE ${CMAKE_BINARY_DIR}/share/data-in-home
  "Installed system-wide: each user's Merivex.mdb lies in $XDG_DATA_HOME/merivex.\n")
install(FILES ${CMAKE_BINARY_DIR}/share/data-in-home DESTINATION lib/merivex
  COMPONENT system EXCLUDE_FROM_ALL)
install(CODE [[
  foreach(program MerivexDemo merivex-db)
    set(link "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/${program}")
    message(STATUS "Installing: ${link}")
    file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
    file(CREATE_LINK ../lib/merivex/${program} "${link}" SYMBOLIC)
  endforeach()
]] COMPONENT system EXCLUDE_FROM_ALL)
set(MERIVEX_EXEC MerivexDemo)
set(MERIVEX_ICON merivex)
configure_file(${CMAKE_SOURCE_DIR}/resources/merivex.desktop ${CMAKE_BINARY_DIR}/share/merivex.desktop
  @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/share/merivex.desktop DESTINATION share/applications
  COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/resources/org.merivex.merivex.metainfo.xml
  DESTINATION share/metainfo COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/copyright ${CMAKE_BINARY_DIR}/share/changelog.gz
  DESTINATION share/doc/merivex COMPONENT system EXCLUDE_FROM_ALL)

# The Debian package of the system-wide installation. A portable folder is
# made with cmake --install, so there is no archive.
set(CPACK_PACKAGE_NAME merivex)
set(CPACK_PACKAGE_VENDOR Merivex)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Body weight and BMI tracking on one desktop")
set(CPACK_PACKAGE_DESCRIPTION "Merivex registers patients, calculates the Body Mass Index from a
height and a weight with an advice of the day, and keeps each measurement
with its date, shown as a history grid and as a trend chart. Each user's
data live in one encrypted file in their own data folder; merivex-db backs
it up, restores, exports and checks it.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Unspecified system)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Merivex developers <merivex@merivex.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fonts the windows name, found at run time.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-urw-base35")
include(CPack)
