# Installation where XScreenSaver looks for hacks, and a .deb built with CPack.
include(GNUInstallDirs)
install(TARGETS kiru RUNTIME DESTINATION libexec/xscreensaver)
# On PATH too, for `kiru --watch` in a compositor's configuration.
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/link)
file(CREATE_LINK ../libexec/xscreensaver/kiru ${CMAKE_CURRENT_BINARY_DIR}/link/kiru SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/link/kiru DESTINATION bin)
install(FILES data/kiru.xml DESTINATION share/xscreensaver/config)
# The settings' menu entry, the theme for mate-screensaver and xfce4-screensaver, the
# idle watcher's autostart entry: written with the prefix of the install itself.
install(CODE "set(KIRU_DATA_DIR \"${CMAKE_CURRENT_SOURCE_DIR}/data\")
  set(KIRU_ENTRY_DIR \"${CMAKE_CURRENT_BINARY_DIR}/entries\")
  set(KIRU_SYSCONFDIR \"${CMAKE_INSTALL_SYSCONFDIR}\")")
install(SCRIPT cmake/InstallEntries.cmake)
install(FILES resources/ICON/104.png DESTINATION share/icons/hicolor/64x64/apps RENAME kiru.png)

# Debian wants the man page and the changelog compressed, reproducibly (no name or time).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(KIRU_GZ_DIR ${CMAKE_CURRENT_BINARY_DIR}/gz)
foreach(pair "data/kiru.6:kiru.6.gz" "data/changelog:changelog.gz")
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 packed)
  add_custom_command(OUTPUT ${KIRU_GZ_DIR}/${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KIRU_GZ_DIR}
    COMMAND ${GZIP_PROGRAM} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/${source} > ${KIRU_GZ_DIR}/${packed}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND KIRU_GZ_FILES ${KIRU_GZ_DIR}/${packed})
endforeach()
add_custom_target(kiru_docs ALL DEPENDS ${KIRU_GZ_FILES})
install(FILES ${KIRU_GZ_DIR}/kiru.6.gz DESTINATION share/man/man6)
install(FILES ${KIRU_GZ_DIR}/changelog.gz data/copyright DESTINATION share/doc/kiru)
# Ready lines for Wayland compositors' idle daemons.
install(FILES data/kiru.swayidle data/kiru.hypridle.conf DESTINATION share/doc/kiru/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kiru)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillmoor Software <kiru@quillmoor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D OpenGL screen saver with ten animated modules of Tibetan glyphs")
set(CPACK_PACKAGE_DESCRIPTION "Kiru shows rings, walls, bursts and swarms of textured cylinders and spheres\ncarrying six coloured glyphs, fading from one module to the next, with a short\nsound track layered three voices deep. It runs as an XScreenSaver hack, full\nscreen, as a preview, and as a settings dialog with a live preview.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialogs draw text, and their toolkit cannot start without a single font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core | fonts-liberation | fonts-freefont-ttf")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver, xdg-utils")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# What it puts under /etc is the administrator's to change: dpkg keeps the changes.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/conffiles "/etc/xdg/autostart/kiru-watch.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/conffiles)
# Directories the package shares with others stay root-owned and 0755.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
include(CPack)
