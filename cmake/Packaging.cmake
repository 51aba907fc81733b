# Installation and packages.
#   cmake --install <build> --prefix P   Linux: P/bin/velkor, its manual page, its thumbnailer
#                                         entry P/share/thumbnailers/velkor.thumbnailer and the
#                                         README and LICENSE in P/share/doc/velkor; Windows: Velkor.exe,
#                                         README.md and LICENSE side by side.
#   cpack -G DEB   (Linux build tree)     velkor_<version>_<arch>.deb
#   cpack -G ZIP   (Windows build tree)   Velkor-<version>-win64.zip
# Only the program and its documents are installed, never tests, samples or benchmarks.
include(GNUInstallDirs)

if(WIN32)
  install(TARGETS velkor RUNTIME DESTINATION . COMPONENT program)
  install(FILES README.md LICENSE DESTINATION . COMPONENT program)
else()
  set(VELKOR_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velkor)
  set(VELKOR_MAN_DIR ${CMAKE_INSTALL_MANDIR}/man1)
  install(TARGETS velkor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
  install(FILES doc/velkor.1 DESTINATION ${VELKOR_MAN_DIR} COMPONENT documents)
  install(FILES README.md LICENSE DESTINATION ${VELKOR_DOC_DIR} COMPONENT documents)
  # The desktop's thumbnail services find the program through PATH.
  install(FILES desktop/velkor.thumbnailer DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/thumbnailers COMPONENT program)

  # The Debian package carries the documents the way Debian wants them instead: the manual
  # page and the changelog compressed (without time stamps, so builds are reproducible), and
  # the licence as a machine-readable copyright file. Only `cpack -G DEB` installs these.
  set(VELKOR_DEBIAN_DIR ${CMAKE_BINARY_DIR}/debian)
  set(VELKOR_DEBIAN_FILES)
  foreach(pair "doc/velkor.1|velkor.1.gz" "doc/debian/changelog|changelog.gz")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 target)
    add_custom_command(OUTPUT ${VELKOR_DEBIAN_DIR}/${target}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${VELKOR_DEBIAN_DIR}
      COMMAND sh -c "gzip -9n <\"$1\" >\"$2\"" sh ${CMAKE_SOURCE_DIR}/${source} ${VELKOR_DEBIAN_DIR}/${target}
      DEPENDS ${CMAKE_SOURCE_DIR}/${source}
      VERBATIM)
    list(APPEND VELKOR_DEBIAN_FILES ${VELKOR_DEBIAN_DIR}/${target})
  endforeach()
  add_custom_target(velkor_debian_files ALL DEPENDS ${VELKOR_DEBIAN_FILES})
  install(FILES ${VELKOR_DEBIAN_DIR}/velkor.1.gz DESTINATION ${VELKOR_MAN_DIR}
    COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES README.md doc/debian/copyright ${VELKOR_DEBIAN_DIR}/changelog.gz DESTINATION ${VELKOR_DOC_DIR}
    COMPONENT debian EXCLUDE_FROM_ALL)

  # The package's changelog names the version it describes.
  file(STRINGS doc/debian/changelog VELKOR_CHANGELOG_HEAD LIMIT_COUNT 1)
  if(NOT VELKOR_CHANGELOG_HEAD MATCHES "^velkor \\(${PROJECT_VERSION}\\) ")
    message(WARNING "doc/debian/changelog does not start with an entry for version ${PROJECT_VERSION}")
  endif()
endif()

set(CPACK_PACKAGE_NAME Velkor)
set(CPACK_PACKAGE_VENDOR "the Velkor developers")
set(CPACK_PACKAGE_CONTACT "Velkor developers <velkor@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "add-on car converter for NFS3 and NFS4")
# Lines of at most 79 characters, as Debian's tools want them.
set(CPACK_PACKAGE_DESCRIPTION
  "Velkor converts add-on cars between Need For Speed III (NFS3) and Need for
Speed High Stakes (NFS4). It converts a whole car archive from one game to the
other, beside the input or installed straight into the other game's car
folder, converts single loose files (models, front-end texts, performance
files) and packs and unpacks VIV archives.

It finds the games in Wine prefixes (plain Wine, Lutris, Bottles, PlayOnLinux,
Steam, Heroic) and adds its commands to the context menus of the desktop's
file managers.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake)
configure_file(cmake/CPackProjectConfig.cmake.in ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake @ONLY)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # Velkor.exe, README.md and LICENSE at the top of the archive.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_NAME velkor)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries the binary links (the C++ runtime, pugixml, libyaml) become the package's
  # dependencies (dpkg-shlibdeps, package dpkg-dev).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The first-run setup refreshes the desktop's MIME and application databases with these;
  # --notify loads libsystemd when it shows a notification (without it: stderr only).
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, libsystemd0")
endif()

include(CPack)
