# What `make install` puts where, and the Debian package `make package` builds from it.
include(GNUInstallDirs)
# The documents of a Debian package live under the package's own name.
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvanta)

find_program(HELP2MAN help2man REQUIRED)
set(generated ${PROJECT_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${generated})
set(generated_files ${generated}/orvanta-cli.1 ${generated}/orvanta-cli)
set(window_program "")
if(TARGET orvanta)
  list(APPEND generated_files ${generated}/orvanta.1)
  set(window_program $<TARGET_FILE:orvanta>)
endif()
add_custom_command(
  OUTPUT ${generated_files}
  COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:orvanta-cli> -DWINDOW=${window_program} -DVERSION=${PROJECT_VERSION}
          -DHELP2MAN=${HELP2MAN} -DOUT_DIR=${generated}
          -P ${PROJECT_SOURCE_DIR}/cmake/generated_docs.cmake
  DEPENDS orvanta-cli $<$<TARGET_EXISTS:orvanta>:orvanta> ${PROJECT_SOURCE_DIR}/cmake/generated_docs.cmake
  COMMENT "Man pages and bash completion from the programs' help"
  VERBATIM)
add_custom_target(generated_docs ALL DEPENDS ${generated_files})

install(TARGETS orvanta-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${generated}/orvanta-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${generated}/orvanta-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES README.md packaging/copyright DESTINATION ${doc_dir})
if(TARGET orvanta)
  install(TARGETS orvanta RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${generated}/orvanta.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # The window opens the manual from here (see src/ui/manual.cpp).
  install(DIRECTORY docs/manual/ DESTINATION ${doc_dir}/manual)
  install(FILES packaging/orvanta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/orvanta.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# What the package installs, and only that: `make package` builds this target, not the tests.
add_custom_target(package_contents DEPENDS generated_docs)
add_dependencies(package_contents orvanta-cli)
if(TARGET orvanta)
  add_dependencies(package_contents orvanta)
endif()
set(CMAKE_SKIP_PACKAGE_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VENDOR Orvanta)
set(CPACK_PACKAGE_CONTACT "Orvanta developers <developers@orvanta.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "turns georeferenced imagery into tile pyramids and KML super-overlays")
# One text: a list of several would reach the control file joined by ";".
set(CPACK_PACKAGE_DESCRIPTION
    "Orvanta cuts georeferenced raster images (WGS84, with world files) into pyramids of \
256x256 tiles and writes a KML super-overlay tree with Regions for Google Earth. \
It has a window (orvanta) and a command line (orvanta-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries (GDAL, which reads georeference and warps, among them) come from what the
# programs link; listgeo writes the world files of GeoTIFF images, xdg-open opens the manual and
# web pages from the command line, and the preview page (--preview) copies Leaflet from
# libjs-leaflet.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "geotiff-bin")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libjs-leaflet")
# The programs are packaged stripped; their debug symbols go to the orvanta-dbgsym package.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
include(CPack)
