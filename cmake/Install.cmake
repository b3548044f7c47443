# SPDX-License-Identifier: MIT
# Installing on Linux: the tool, its desktop entry and icon, the udev rule
# that lets the logged-in user open the board, torvex-ctl's shell completion,
# and the documents and metadata of PackageDocs.cmake; CPack turns the same
# into a .deb.
# Only the Runtime component is packaged: the demo and tests stay in the build.

include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/UdevRule.cmake)

# udev reads rules only from its own directories, whatever the install prefix.
pkg_get_variable(_torvex_udevdir udev udevdir)
if(_torvex_udevdir)
  set(_torvex_udev_rules_default "${_torvex_udevdir}/rules.d")
else()
  set(_torvex_udev_rules_default "/usr/lib/udev/rules.d")
endif()
set(TORVEX_UDEV_RULES_DIR "${_torvex_udev_rules_default}"
    CACHE PATH "Where the udev rule is installed (absolute, or relative to the prefix)")

# The agent for per-game profiles: a systemd user unit and an XDG autostart
# entry, both off until the user turns them on.
pkg_get_variable(_torvex_userunitdir systemd systemduserunitdir)
if(NOT _torvex_userunitdir)
  set(_torvex_userunitdir "lib/systemd/user")
endif()
set(TORVEX_USER_UNIT_DIR "${_torvex_userunitdir}"
    CACHE PATH "Where the agent's systemd user unit is installed (absolute, or relative to the prefix)")
# Sessions read autostart entries only from $XDG_CONFIG_DIRS, whatever the prefix.
set(TORVEX_AUTOSTART_DIR "/etc/xdg/autostart"
    CACHE PATH "Where the agent's XDG autostart entry is installed (absolute, or relative to the prefix)")

set(TORVEX_UDEV_RULE_FILE "${CMAKE_BINARY_DIR}/packaging/70-torvex-config.rules")
torvex_udev_rule("${TORVEX_UDEV_RULE_FILE}"
                 VENDOR_ID "${TORVEX_VENDOR_ID}" PRODUCT_ID "${TORVEX_PRODUCT_ID}")

set(_torvex_packaging "${CMAKE_CURRENT_LIST_DIR}/../packaging")
install(TARGETS torvex-config torvex-ctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
# Debian's hardening: the whole GOT read-only once started.
foreach(_torvex_exe torvex-config torvex-ctl)
  target_link_options(${_torvex_exe} PRIVATE LINKER:-z,relro,-z,now)
  # A stripped install (as CPack makes) also drops what dh_strip would: the
  # compiler's .comment and the .note section.
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${_torvex_exe}\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()" COMPONENT Runtime)
endforeach()
install(FILES ${_torvex_packaging}/torvex-config.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Runtime)
install(FILES ${_torvex_packaging}/torvex-config.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT Runtime)
install(FILES ${TORVEX_UDEV_RULE_FILE} DESTINATION ${TORVEX_UDEV_RULES_DIR} COMPONENT Runtime)
install(FILES ${_torvex_packaging}/systemd/torvex-agent.service
        DESTINATION ${TORVEX_USER_UNIT_DIR} COMPONENT Runtime)
install(FILES ${_torvex_packaging}/torvex-agent.desktop
        DESTINATION ${TORVEX_AUTOSTART_DIR} COMPONENT Runtime)
# Where each shell looks for completion of a command it has not seen yet.
set(_torvex_completions "$<TARGET_FILE_DIR:torvex-ctl>/completions")
install(FILES ${_torvex_completions}/torvex-ctl.bash RENAME torvex-ctl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT Runtime)
install(FILES ${_torvex_completions}/_torvex-ctl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT Runtime)
install(FILES ${_torvex_completions}/torvex-ctl.fish
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d COMPONENT Runtime)

set(TORVEX_PACKAGE_MAINTAINER "torvex-config developers <torvex-config@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the .deb")
include(${CMAKE_CURRENT_LIST_DIR}/PackageDocs.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvex-config)
set(CPACK_PACKAGE_VENDOR "Torvex")
set(CPACK_PACKAGE_CONTACT "${TORVEX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration and live-test tool for Torvex wheel boards")
set(CPACK_PACKAGE_DESCRIPTION
    "Lists the attached Torvex steering-wheel boards, reads their settings,\n"
    "sends every change at once, shows the 64 buttons and both paddle axes\n"
    "live, plots an axis's response curve, calibrates the paddles and resets\n"
    "the board. A udev rule gives the user at the seat access to the board.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Runtime;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# dpkg-shlibdeps lists every shared library the binary links, with the
# versions it needs; without it, name the ones we link ourselves.
find_program(TORVEX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TORVEX_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(_torvex_qt_min "${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR}")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libhidapi-hidraw0, libudev1, libqt6widgets6 (>= ${_torvex_qt_min}), libqt6gui6 (>= ${_torvex_qt_min}), libqt6core6 (>= ${_torvex_qt_min})")
endif()

set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${_torvex_packaging}/debian/postinst;${_torvex_packaging}/debian/postrm;${_torvex_packaging}/debian/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# A source tarball holds the sources only, not build trees or git data.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build[^/]*/" "/out/" "\\.user$" "CMakeUserPresets\\.json$")

include(CPack)
