# Run at install time (install(SCRIPT)), when the prefix is the one really used:
# `cmake --install --prefix`, or CPack's /usr. The desktop entries name the program
# by its installed path, and the autostart entry goes where the session looks:
# /etc/xdg for a prefix of /usr (GNU's rule), <prefix>/etc/xdg for any other.
# Set beforehand: KIRU_DATA_DIR, KIRU_ENTRY_DIR (scratch), KIRU_SYSCONFDIR.
set(KIRU_PROGRAM "${CMAKE_INSTALL_PREFIX}/libexec/xscreensaver/kiru")
if(IS_ABSOLUTE "${KIRU_SYSCONFDIR}")
  set(etc "${KIRU_SYSCONFDIR}")
elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(etc "/${KIRU_SYSCONFDIR}")
else()
  set(etc "${CMAKE_INSTALL_PREFIX}/${KIRU_SYSCONFDIR}")
endif()

foreach(entry "kiru-settings:kiru-settings:${CMAKE_INSTALL_PREFIX}/share/applications"
              "kiru-theme:kiru:${CMAKE_INSTALL_PREFIX}/share/applications/screensavers"
              "kiru-watch:kiru-watch:${etc}/xdg/autostart")
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 source)
  list(GET entry 1 name)
  list(GET entry 2 destination)
  configure_file("${KIRU_DATA_DIR}/${source}.desktop.in" "${KIRU_ENTRY_DIR}/${source}/${name}.desktop" @ONLY)
  file(INSTALL "${KIRU_ENTRY_DIR}/${source}/${name}.desktop" DESTINATION "${destination}")
endforeach()
