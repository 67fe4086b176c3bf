# A self-contained installation for one user, e.g. `cmake --install build/release --prefix ~/.local`:
#   <prefix>/lib/brindle/   the Program directory: brindle, brindle-cli, brindle-upgrader (which the
#                           client starts beside itself), skin/, SkinSM/ and the icon.
#                           The client writes Vantora.ini, the list caches and upgrade/ beside its
#                           program file, so this folder must be the user's own.
#   <prefix>/bin/           brindle and brindle-cli as links into the Program directory (both find it
#                           through /proc/self/exe, which names the real file), and brindle-server.
#   <prefix>/share/applications/brindle.desktop, <prefix>/share/icons/hicolor/*/apps/brindle.png,
#   <prefix>/share/man/man{1,8}/ the manual pages, <prefix>/share/doc/brindle/ copyright and changelog.
# The Program directory sits in lib/, not share/: it holds programs, and share/ is for
# architecture-independent data.
set(BRINDLE_PROGRAM_DIR lib/brindle)

if(TARGET brindle)
  # The desktop entry names the client by its absolute path under the prefix of this installation,
  # so it starts whether or not <prefix>/bin is on the session's PATH. Written first, so that a prefix
  # it cannot name stops the installation before anything is copied.
  set(entry ${PROJECT_BINARY_DIR}/packaging/brindle.desktop)
  install(CODE "set(brindle_desktop_template [[${PROJECT_SOURCE_DIR}/packaging/brindle.desktop.in]])
                set(brindle_desktop_entry [[${entry}]])
                set(brindle_program_dir [[${BRINDLE_PROGRAM_DIR}]])")
  install(CODE [[
    cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX NORMALIZE OUTPUT_VARIABLE brindle_prefix)
    cmake_path(APPEND brindle_prefix "${brindle_program_dir}" brindle OUTPUT_VARIABLE BRINDLE_EXEC)
    # Characters that the Exec key would need escaped twice over are refused, not mangled.
    if(BRINDLE_EXEC MATCHES "[\"`$\\%\n]")
      message(FATAL_ERROR "brindle: the installation prefix ${brindle_prefix} contains a character "
                          "that a desktop entry cannot name (\" ` $ \\ % or a line break)")
    endif()
    if(BRINDLE_EXEC MATCHES "[] \t'<>~|&;*?#()[]")
      set(BRINDLE_EXEC "\"${BRINDLE_EXEC}\"")
    endif()
    configure_file("${brindle_desktop_template}" "${brindle_desktop_entry}" @ONLY)
  ]])
  install(FILES ${entry} DESTINATION share/applications)

  install(TARGETS brindle DESTINATION ${BRINDLE_PROGRAM_DIR})
  # Everything the skin generator draws beside the client.
  set(drawn $<TARGET_FILE_DIR:brindle>)
  install(DIRECTORY ${drawn}/skin ${drawn}/SkinSM DESTINATION ${BRINDLE_PROGRAM_DIR})
  install(FILES ${drawn}/brindle.png ${drawn}/brindle-48.png DESTINATION ${BRINDLE_PROGRAM_DIR})
  install(FILES ${drawn}/brindle.png DESTINATION share/icons/hicolor/256x256/apps)
  install(FILES ${drawn}/brindle-48.png DESTINATION share/icons/hicolor/48x48/apps RENAME brindle.png)
endif()
install(TARGETS brindle-cli brindle-upgrader DESTINATION ${BRINDLE_PROGRAM_DIR})
install(TARGETS brindle-server DESTINATION bin)

# The server's systemd unit, naming the installed server by its absolute path under this installation's
# prefix, so written at installation time as the desktop entry is. lib/systemd/system rather than
# CMAKE_INSTALL_LIBDIR: systemd looks there under /usr and /usr/local, never in a multiarch folder.
set(server_unit ${PROJECT_BINARY_DIR}/packaging/brindle-server.service)
install(CODE "set(brindle_unit_template [[${PROJECT_SOURCE_DIR}/packaging/brindle-server.service.in]])
              set(brindle_unit [[${server_unit}]])")
install(CODE [[
  cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX NORMALIZE OUTPUT_VARIABLE brindle_prefix)
  cmake_path(APPEND brindle_prefix bin OUTPUT_VARIABLE CMAKE_INSTALL_FULL_BINDIR)
  # A unit's command line would need these quoted or escaped; refused rather than mangled.
  if(CMAKE_INSTALL_FULL_BINDIR MATCHES "[] \t\n\"'\\%$;[]")
    message(FATAL_ERROR "brindle-server: the installation prefix ${brindle_prefix} contains a character "
                        "that a systemd unit's ExecStart= cannot name plainly")
  endif()
  configure_file("${brindle_unit_template}" "${brindle_unit}" @ONLY)
]])
install(FILES ${server_unit} DESTINATION lib/systemd/system)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/brindle-server.sysusers DESTINATION lib/sysusers.d
        RENAME brindle-server.conf)
list(APPEND CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageServerUnit.cmake)

# Relative links, made once in the build tree and installed as links.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging/bin)
set(brindle_links brindle-cli)
if(TARGET brindle)
  list(APPEND brindle_links brindle)
endif()
foreach(program IN LISTS brindle_links)
  file(CREATE_LINK ../${BRINDLE_PROGRAM_DIR}/${program} ${PROJECT_BINARY_DIR}/packaging/bin/${program} SYMBOLIC)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/bin/${program} DESTINATION bin)
endforeach()

# Manual pages, the copyright and the package's changelog (gzipped as Debian wants it).
include(${PROJECT_SOURCE_DIR}/cmake/ManPages.cmake)
set(BRINDLE_PACKAGE_MAINTAINER "Brindle maintainers <maintainers@users.noreply.c-seed-f75f09da.example>"
    CACHE STRING "The .deb's Maintainer: NAME <ADDRESS>")
set(BRINDLE_PACKAGE_HOMEPAGE "https://brindle.example/" CACHE STRING "The .deb's Homepage")
string(TIMESTAMP BRINDLE_PACKAGE_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)  # honours SOURCE_DATE_EPOCH
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
find_program(GZIP gzip REQUIRED)
# Made when configuring, so that an installation from a build of some targets only has it too.
execute_process(COMMAND ${GZIP} -9nkf ${PROJECT_BINARY_DIR}/packaging/changelog COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION share/doc/brindle)

# `cpack` in a build folder: a .tar.gz of the same tree, to unpack into the prefix (tar -C ~/.local).
set(CPACK_PACKAGE_NAME brindle)
set(CPACK_PACKAGE_VENDOR "澜川国际")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client and reference server of a betting service")
set(CPACK_PACKAGE_FILE_NAME brindle-${PROJECT_VERSION}-Linux-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_GENERATOR TGZ)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
list(PREPEND CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageDesktopEntry.cmake)

# `cpack -G DEB`: brindle_<version>_amd64.deb, the same tree under /usr (the Program directory in
# /usr/lib/brindle, writable by root alone), the server's account made by its postinst, its service
# installed but not enabled. That generator installs with DESTDIR into the prefix /usr itself, so the
# desktop entry and the unit name /usr/lib/brindle/brindle and /usr/bin/brindle-server, and the
# archive's pre-build scripts find nothing to rewrite (its staged tree starts with usr/).
set(CPACK_PACKAGE_CONTACT "${BRINDLE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BRINDLE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BRINDLE_PACKAGE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_DESCRIPTION [[Brindle is the desktop client of the 澜川国际 betting service: sign-in,
football and basketball odds, bets, records and statements, with its own
upgrader and brindle-cli for scripts.

The package also holds brindle-server, the service's reference server
(HTTPS, SQLite or PostgreSQL), with a systemd unit that is installed but
not enabled.]])
# The libraries the programs link, found by dpkg-shlibdeps (the web engine's brings its helper
# process), and what they load at run time: Qt's platform plugins and the fonts of the windows'
# Chinese texts; adduser for the postinst where systemd-sysusers is missing.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(brindle_runtime_depends adduser fonts-noto-cjk)
if(TARGET brindle)
  list(APPEND brindle_runtime_depends qt6-qpa-plugins)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
endif()
list(JOIN brindle_runtime_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS postgresql)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/prerm ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
