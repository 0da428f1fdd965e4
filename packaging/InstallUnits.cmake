# Runs at install time, when the prefix is known (cpack installs below /usr, cmake --install
# below CMAKE_INSTALL_PREFIX): the units name the installed kelvanto-cli by its full path.
# Given: KELVANTO_UNIT_SOURCE_DIR, KELVANTO_UNIT_BINARY_DIR, KELVANTO_BINDIR, KELVANTO_DOCDIR.
set(KELVANTO_CLI "${CMAKE_INSTALL_PREFIX}/${KELVANTO_BINDIR}/kelvanto-cli")
set(KELVANTO_DOC_DIR "${CMAKE_INSTALL_PREFIX}/${KELVANTO_DOCDIR}")
configure_file("${KELVANTO_UNIT_SOURCE_DIR}/kelvanto.service.in" "${KELVANTO_UNIT_BINARY_DIR}/system/kelvanto.service"
    @ONLY)
configure_file("${KELVANTO_UNIT_SOURCE_DIR}/kelvanto-user.service.in"
    "${KELVANTO_UNIT_BINARY_DIR}/user/kelvanto.service" @ONLY)
# systemd reads units below /usr/lib and /usr/local/lib alike.
file(INSTALL "${KELVANTO_UNIT_BINARY_DIR}/system/kelvanto.service" DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system")
file(INSTALL "${KELVANTO_UNIT_BINARY_DIR}/user/kelvanto.service" DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/user")
