# The exporter's share of the package: its binary and manual page, the default configuration,
# the systemd unit and the Prometheus rules, and the maintainer scripts that create its user
# and run its service. The /etc and unit paths are absolute: the exporter's default
# --config.file and Debian's unit directory do not move with the prefix.
install(TARGETS galvetrin-exporter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
galvetrin_install_gzipped(doc/galvetrin-exporter.1 ${CMAKE_INSTALL_MANDIR}/man1)
# Secrets live in it: the group galvetrin-exporter (postinst) may read it, nobody else.
install(FILES deploy/exporter.yml DESTINATION /etc/galvetrin
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
install(FILES deploy/galvetrin-exporter.default DESTINATION /etc/default
        RENAME galvetrin-exporter)
install(FILES deploy/galvetrin-exporter.service DESTINATION /lib/systemd/system)
install(FILES deploy/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME galvetrin)
install(FILES deploy/prometheus/galvetrin-rules.yml deploy/prometheus/prometheus.yml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/galvetrin/prometheus)

string(APPEND CPACK_PACKAGE_DESCRIPTION "
The package also holds galvetrin-exporter, a Prometheus exporter that reads
a router each time Prometheus asks, with its systemd service, a default
configuration and recording and alerting rules.")
# postinst creates the user with adduser; dpkg-shlibdeps appends the libraries.
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/deploy/debian/conffiles
    ${CMAKE_CURRENT_SOURCE_DIR}/deploy/debian/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/deploy/debian/prerm
    ${CMAKE_CURRENT_SOURCE_DIR}/deploy/debian/postrm)
# Maintainer scripts 0755 and conffiles 0644, whatever the checkout's modes.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
