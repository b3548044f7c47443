# SPDX-License-Identifier: MIT
# The package's documents and metadata: copyright, changelog, manual pages and
# AppStream metainfo, the files Debian's lintian and software centres look for.
# Included by Install.cmake, after TORVEX_PACKAGE_MAINTAINER is set.

set(_torvex_root "${CMAKE_CURRENT_LIST_DIR}/..")
set(_torvex_out "${CMAKE_BINARY_DIR}/packaging")
set(TORVEX_HOMEPAGE "https://github.com/torvex/torvex-config"
    CACHE STRING "Project web page; the AppStream metadata takes its screenshots from there")
set(TORVEX_SCREENSHOTS_URL "https://raw.githubusercontent.com/torvex/torvex-config/main/docs"
    CACHE STRING "Where the AppStream metadata's screenshots are published")
set(TORVEX_APPSTREAM_ID "io.github.torvex.config")
find_program(TORVEX_GZIP gzip REQUIRED)
find_program(TORVEX_SCDOC scdoc REQUIRED)

# The top section of CHANGELOG.md is the release being built.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${_torvex_root}/CHANGELOG.md ${_torvex_root}/LICENSE)
file(STRINGS ${_torvex_root}/CHANGELOG.md _torvex_release REGEX "^## " LIMIT_COUNT 1)
if(NOT _torvex_release MATCHES "^## ([^ ]+) \\(([0-9]+-[0-9]+-[0-9]+)( [0-9]+:[0-9]+)?\\)$"
   OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md must start with \"## ${PROJECT_VERSION} (<YYYY-MM-DD>[ HH:MM])\"")
endif()
set(TORVEX_RELEASE_DATE ${CMAKE_MATCH_2})
# Man pages carry the release's date, not the build's, so they build reproducibly.
execute_process(COMMAND date -u -d ${TORVEX_RELEASE_DATE} +%s
                OUTPUT_VARIABLE TORVEX_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# copyright (DEP-5): the licence text comes from LICENSE, indented, blank lines as " .".
file(READ ${_torvex_root}/LICENSE _torvex_license)
if(NOT _torvex_license MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.*)$")
  message(FATAL_ERROR "LICENSE has no \"Copyright (c) ...\" line followed by the text")
endif()
set(TORVEX_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" _torvex_license)
string(REPLACE "\n\n" "\n.\n" _torvex_license "${_torvex_license}")
string(REPLACE "\n" "\n " TORVEX_LICENSE_TEXT " ${_torvex_license}")
configure_file(${_torvex_root}/packaging/debian/copyright.in ${_torvex_out}/copyright @ONLY)

# AppStream metainfo, with the board's IDs as modaliases (upper-case hex, as
# the kernel writes them).
torvex_usb_id_hex("${TORVEX_VENDOR_ID}" _torvex_vid TORVEX_VID_UPPER)
torvex_usb_id_hex("${TORVEX_PRODUCT_ID}" _torvex_pid TORVEX_PID_UPPER)
set(TORVEX_METAINFO_FILE ${_torvex_out}/${TORVEX_APPSTREAM_ID}.metainfo.xml)
configure_file(${_torvex_root}/packaging/torvex-config.metainfo.xml.in ${TORVEX_METAINFO_FILE}
               @ONLY)

# sh script: <out> <in> <command...> runs the command on <in> and writes <out>
# only if it succeeds, so a failed step never leaves a stale output behind.
set(_torvex_filter [=[out=$1 in=$2; shift 2; "$@" <"$in" >"$out.tmp" && mv "$out.tmp" "$out"]=])

# A native package's changelog.gz is read as a Debian changelog: convert CHANGELOG.md.
set(_torvex_changelog ${_torvex_out}/changelog)
add_custom_command(
  OUTPUT ${_torvex_changelog}.gz
  COMMAND sh -c "${_torvex_filter}" sh ${_torvex_changelog} ${_torvex_root}/CHANGELOG.md
          awk -v package=${PROJECT_NAME} -v maintainer=${TORVEX_PACKAGE_MAINTAINER}
          -f ${_torvex_root}/packaging/debian/changelog.awk
  COMMAND ${TORVEX_GZIP} -9nf ${_torvex_changelog}
  DEPENDS ${_torvex_root}/CHANGELOG.md ${_torvex_root}/packaging/debian/changelog.awk
  COMMENT "Debian changelog from CHANGELOG.md"
  VERBATIM)
set(_torvex_docs ${_torvex_changelog}.gz)

# Manual pages, <name>.<section> from packaging/man/<name>.<section>.scd.
set(TORVEX_MAN_PAGES torvex-config.1 torvex-ctl.1)
foreach(_torvex_name IN LISTS TORVEX_MAN_PAGES)
  string(REGEX MATCH "[^.]+$" _torvex_section ${_torvex_name})
  set(_torvex_src ${_torvex_root}/packaging/man/${_torvex_name}.scd)
  set(_torvex_page ${_torvex_out}/man/${_torvex_name})
  add_custom_command(
    OUTPUT ${_torvex_page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_torvex_out}/man
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TORVEX_RELEASE_EPOCH}
            sh -c "${_torvex_filter}" sh ${_torvex_page} ${_torvex_src} ${TORVEX_SCDOC}
    COMMAND ${TORVEX_GZIP} -9nf ${_torvex_page}
    DEPENDS ${_torvex_src}
    COMMENT "Manual page ${_torvex_name}"
    VERBATIM)
  list(APPEND _torvex_docs ${_torvex_page}.gz)
  install(FILES ${_torvex_page}.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man${_torvex_section} COMPONENT Runtime)
endforeach()

# Built with the tool, since installing it installs them too.
add_custom_target(torvex-docs ALL DEPENDS ${_torvex_docs})
add_dependencies(torvex-config torvex-docs)

install(FILES ${_torvex_out}/copyright ${_torvex_changelog}.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Runtime)
install(FILES ${TORVEX_METAINFO_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT Runtime)
