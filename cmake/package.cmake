# Install rules and the Debian package: `cmake --install` puts bin/galvetrin and the gzipped
# manual page under the prefix (DESTDIR works), with the exporter's files when it is built
# (cmake/exporter_package.cmake); `cpack -G DEB` makes galvetrin_VERSION_ARCH.deb.
include(GNUInstallDirs)
# Directories made by the install as Debian wants them: 0755, owned by root.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Debian installs manual pages and changelogs gzipped at the highest level, without name or
# time stamp (gzip -9n), so that the same file always gives the same bytes.
find_program(GZIP_PROGRAM gzip REQUIRED)
function(galvetrin_install_gzipped source destination)
    get_filename_component(name ${source} NAME)
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/${name})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${copy}
        COMMAND ${GZIP_PROGRAM} -9nf ${copy}
        DEPENDS ${source}
        VERBATIM)
    add_custom_target(galvetrin_${name}.gz ALL DEPENDS ${copy}.gz)
    install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()

install(TARGETS galvetrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
galvetrin_install_gzipped(doc/galvetrin.1 ${CMAKE_INSTALL_MANDIR}/man1)
# The package's copyright and its Debian changelog, where Debian keeps them.
install(FILES doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
galvetrin_install_gzipped(doc/changelog ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME galvetrin)
set(CPACK_PACKAGE_VENDOR "Galvetrin maintainers")
set(CPACK_PACKAGE_CONTACT "Galvetrin maintainers <maintainers@users.noreply.c-seed-ef9068c8.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show a router's class-based QoS set-up and counters over SNMP")
# One string: the extended description's lines, each under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "\
Galvetrin asks a router over SNMP (v2c or v3) how its class-based weighted
fair queueing is set up, from the CISCO-CLASS-BASED-QOS-MIB, and prints it:
which QoS policy sits on which interface and in which direction, every policy
map, class map, match statement and action with its name, and the packet
counters of every class, as a flat listing and as an indented tree. It can
also print the same picture as one JSON document or as Prometheus metrics.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the binary links (dpkg-shlibdeps, from dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The exporter's target exists once its sources are in the tree; without it the package is the
# command line alone.
if(TARGET galvetrin-exporter)
    include(cmake/exporter_package.cmake)
endif()
include(CPack)
