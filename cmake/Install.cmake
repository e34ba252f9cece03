# Quorvane installed as a desktop program: GNU folders, the freedesktop.org menu entry, file
# types, metadata and icon, manual pages made from the programs' own --help, and a Debian
# package of it all with CPack (`make package`). Included once the two programs exist.
include(GNUInstallDirs)
# Debian keeps a package's documents under its own name (GNUInstallDirs would take the
# project's, capitalised).
set(QV_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quorvane)

# The project owns no domain: its AppStream identifier lies under the reserved .invalid name.
set(QV_APP_ID invalid.quorvane.Quorvane)
set(QV_MAINTAINER "Quorvane developers <maintainers@quorvane.invalid>")
set(QV_DATA ${PROJECT_SOURCE_DIR}/data)
set(QV_GENERATED ${PROJECT_BINARY_DIR}/data)
set(QV_EXAMPLES_DIR ${CMAKE_INSTALL_FULL_DATADIR}/quorvane/examples)
set(QV_DOC_DIR ${CMAKE_INSTALL_FULL_DATAROOTDIR}/doc/quorvane)

# The icon at the theme's usual sizes, drawn from the one SVG at build time; the program
# takes the same pictures for its windows and the about box.
find_program(QV_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(QV_GZIP gzip REQUIRED)
set(QV_ICON_SIZES 16 22 24 32 48 64 128 256)
set(QV_ICON_PNGS)
foreach(size IN LISTS QV_ICON_SIZES)
  set(folder ${QV_GENERATED}/icons/${size}x${size})
  add_custom_command(OUTPUT ${folder}/quorvane.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${QV_RSVG_CONVERT} --width=${size} --height=${size}
            --output=${folder}/quorvane.png ${QV_DATA}/quorvane.svg
    DEPENDS ${QV_DATA}/quorvane.svg
    COMMENT "Drawing the ${size} px icon" VERBATIM)
  list(APPEND QV_ICON_PNGS ${folder}/quorvane.png)
  install(FILES ${folder}/quorvane.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
qt_add_resources(app "program_icon" PREFIX "/icons" BASE ${QV_GENERATED}/icons
  FILES ${QV_ICON_PNGS})

# Manual pages from each program's --help and --version, so that they cannot drift apart;
# the .h2m files add the installed paths and cross references. A sanitizer build skips them.
if(NOT QV_SANITIZE)
  find_program(QV_HELP2MAN help2man REQUIRED)
  set(QV_MAN_NAME_quorvane "stock-and-flow modelling of how a business develops over time")
  set(QV_MAN_NAME_quorvane-cli "run, check, render and convert Quorvane models without the window")
  set(QV_MAN_PAGES)
  foreach(program quorvane quorvane-cli)
    configure_file(${QV_DATA}/${program}.h2m.in ${QV_GENERATED}/${program}.h2m @ONLY)
    set(page ${QV_GENERATED}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${QV_GENERATED}/man
      COMMAND ${QV_HELP2MAN} --no-info --section=1
              "--manual=User Commands" "--source=Quorvane ${PROJECT_VERSION}"
              "--name=${QV_MAN_NAME_${program}}" --include=${QV_GENERATED}/${program}.h2m
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND ${QV_GZIP} -9nf ${page}
      DEPENDS ${program} ${QV_GENERATED}/${program}.h2m
      COMMENT "Writing the manual page of ${program}" VERBATIM)
    list(APPEND QV_MAN_PAGES ${page}.gz)
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${QV_MAN_PAGES})
  install(FILES ${QV_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The release's date goes with its version into the metadata and the package's changelog.
configure_file(${QV_DATA}/quorvane.metainfo.xml.in ${QV_GENERATED}/${QV_APP_ID}.metainfo.xml
  @ONLY)
execute_process(COMMAND date -u -R -d ${QV_RELEASE_DATE}
  OUTPUT_VARIABLE QV_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${QV_DATA}/changelog.in ${QV_GENERATED}/changelog @ONLY)
add_custom_command(OUTPUT ${QV_GENERATED}/changelog.gz
  COMMAND ${QV_GZIP} -9nkf ${QV_GENERATED}/changelog
  DEPENDS ${QV_GENERATED}/changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS ${QV_GENERATED}/changelog.gz)

# Relocations read-only once loaded, as Debian's hardened builds link.
foreach(program quorvane quorvane-cli)
  target_link_options(${program} PRIVATE -Wl,-z,relro,-z,now)
endforeach()
install(TARGETS quorvane quorvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
file(GLOB QV_EXAMPLE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.qvf)
install(FILES ${QV_EXAMPLE_FILES} ${PROJECT_SOURCE_DIR}/examples/README.md
  DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvane/examples)
install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md ${QV_DATA}/copyright
  ${QV_GENERATED}/changelog.gz DESTINATION ${QV_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${QV_INSTALL_DOCDIR}
  FILES_MATCHING PATTERN "*.png")
install(FILES ${QV_DATA}/quorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QV_DATA}/quorvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME quorvane.xml)
install(FILES ${QV_GENERATED}/${QV_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QV_DATA}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME quorvane)
install(FILES ${QV_DATA}/quorvane.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# `make package`: quorvane_<version>_amd64.deb, its library dependencies read from the
# binaries by dpkg-shlibdeps. Qt finds its display plugins at run time, so they are named.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quorvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stock-and-flow modelling of how a business develops")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QV_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[Quorvane is a desktop tool for system dynamics. Resources (stocks), flows,
variables and constants are drawn on a diagram, joined by information links
and given equations; a run shows its results on graphs, tables and value
labels. Models can be printed, exported as PDF and exchanged with other
tools as XMILE.

The package also holds quorvane-cli, which runs, checks, renders and
converts models without the window, for scripts and batch runs.]])
include(CPack)
