# SPDX-License-Identifier: MIT
# Generates the udev rule that gives the user at the seat access to the
# board's hidraw nodes. Usable from a project and from `cmake -P` scripts.

set(_TORVEX_UDEV_TEMPLATE "${CMAKE_CURRENT_LIST_DIR}/../packaging/udev/70-torvex-config.rules.in")

# Parses a 16-bit USB ID written as "0x1209" or as a decimal number and
# returns it as four hex digits, lower and upper case. The text ends up both
# in a udev rule and as a C++ literal, so anything else is refused: a stray
# quote would inject udev keys, a leading zero would be read as octal.
function(torvex_usb_id_hex id out_lower out_upper)
  if(NOT id MATCHES "^(0[xX][0-9A-Fa-f]+|0|[1-9][0-9]*)$")
    message(FATAL_ERROR "USB ID \"${id}\" is neither 0x-prefixed hex nor a decimal number")
  endif()
  # Bound the digits first so math() cannot overflow into a valid-looking value.
  string(REGEX REPLACE "^0[xX]0*" "" digits "${id}")
  string(LENGTH "${digits}" len)
  if((id MATCHES "^0[xX]" AND len GREATER 4) OR (NOT id MATCHES "^0[xX]" AND len GREATER 5))
    message(FATAL_ERROR "USB ID \"${id}\" does not fit in 16 bits")
  endif()
  math(EXPR value "${id}")
  if(value GREATER 65535)
    message(FATAL_ERROR "USB ID \"${id}\" does not fit in 16 bits")
  endif()
  math(EXPR hex "${value} + 65536" OUTPUT_FORMAT HEXADECIMAL)
  # 0x1xxxx: the added bit gives the zero padding; keep the last four digits.
  string(SUBSTRING "${hex}" 3 4 hex)
  string(TOLOWER "${hex}" lower)
  string(TOUPPER "${hex}" upper)
  set(${out_lower} "${lower}" PARENT_SCOPE)
  set(${out_upper} "${upper}" PARENT_SCOPE)
endfunction()

# torvex_udev_rule(<output file> VENDOR_ID <id> PRODUCT_ID <id>)
function(torvex_udev_rule output)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "VENDOR_ID;PRODUCT_ID" "")
  if(NOT DEFINED arg_VENDOR_ID OR NOT DEFINED arg_PRODUCT_ID)
    message(FATAL_ERROR "torvex_udev_rule needs VENDOR_ID and PRODUCT_ID")
  endif()
  # sysfs shows USB IDs in lower case; the kernel names HID devices in upper case.
  torvex_usb_id_hex("${arg_VENDOR_ID}" TORVEX_VID_LOWER TORVEX_VID_UPPER)
  torvex_usb_id_hex("${arg_PRODUCT_ID}" TORVEX_PID_LOWER TORVEX_PID_UPPER)
  file(READ "${_TORVEX_UDEV_TEMPLATE}" template)
  string(CONFIGURE "${template}" text @ONLY)
  # Rewrite only on change so installs and packages stay up to date cheaply.
  if(EXISTS "${output}")
    file(READ "${output}" old)
    if(old STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE "${output}" "${text}")
endfunction()
