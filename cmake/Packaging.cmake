# What `cmake --install` puts on a system, and the Debian package made of it
# with CPack (scripts/package.sh). One version, the project's, names both.
include(GNUInstallDirs)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(QUILLMARK_PACKAGE_NAME quillmark-wizard)
set(PKG_SRC ${CMAKE_SOURCE_DIR}/packaging)
set(PKG_OUT ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${PKG_OUT})

# The Debian changelog's newest entry names the version being packaged; a
# release that forgets one of the two must not build.
file(STRINGS ${PKG_SRC}/changelog QUILLMARK_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT QUILLMARK_CHANGELOG_TOP MATCHES "^${QUILLMARK_PACKAGE_NAME} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with '${QUILLMARK_CHANGELOG_TOP}', "
    "but the project's version is ${PROJECT_VERSION}: add a changelog entry for it.")
endif()

configure_file(${PKG_SRC}/${QUILLMARK_DESKTOP_ID}.metainfo.xml.in
  ${PKG_OUT}/${QUILLMARK_DESKTOP_ID}.metainfo.xml @ONLY)
configure_file(${PKG_SRC}/${QUILLMARK_PACKAGE_NAME}.1.in ${PKG_OUT}/${QUILLMARK_PACKAGE_NAME}.1 @ONLY)

# Debian wants the manual page and the changelog compressed, without a time
# stamp in the gzip header so that the same sources give the same package.
set(QUILLMARK_COMPRESSED)
foreach(pair "${PKG_OUT}/${QUILLMARK_PACKAGE_NAME}.1|${PKG_OUT}/${QUILLMARK_PACKAGE_NAME}.1.gz"
             "${PKG_SRC}/changelog|${PKG_OUT}/changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  add_custom_command(OUTPUT ${to}
    COMMAND sh -c "gzip -9nc '${from}' > '${to}'"
    DEPENDS ${from}
    VERBATIM)
  list(APPEND QUILLMARK_COMPRESSED ${to})
endforeach()
add_custom_target(quillmark_compressed_docs ALL DEPENDS ${QUILLMARK_COMPRESSED})

install(TARGETS quillmark-wizard RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The Access reader runs beside the program, never on its own: it is found
# from the program's folder as ../libexec/quillmark-wizard/ (AccessReader).
# dpkg-shlibdeps finds its libmdb3 like the program's libraries.
install(TARGETS quillmark-access-reader
  RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillmark-wizard)
install(FILES ${PKG_SRC}/${QUILLMARK_DESKTOP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PKG_OUT}/${QUILLMARK_DESKTOP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUILLMARK_ICON_SVG}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${QUILLMARK_ICON_SIZES})
  install(FILES ${QUILLMARK_ICON_DIR}/hicolor/${size}x${size}/apps/${QUILLMARK_DESKTOP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PKG_OUT}/${QUILLMARK_PACKAGE_NAME}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PKG_SRC}/copyright ${PKG_OUT}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${QUILLMARK_PACKAGE_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QUILLMARK_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmark Software")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmark Software <packaging@quillmark.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
file(READ ${PKG_SRC}/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
# Libraries come from dpkg-shlibdeps; these are what the program loads or
# looks up at run time and no linker sees: the SQLite driver of Qt SQL and the
# fonts with Arial's metrics, which the printed form's positions rely on.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, libqt6sql6-sqlite, libqt6sql6-psql")
# Printing goes to the default CUPS printer; without CUPS each side is saved
# as a PDF instead, so CUPS is a suggestion, not a need.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")
include(CPack)
