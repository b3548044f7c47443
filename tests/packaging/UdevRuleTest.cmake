# SPDX-License-Identifier: MIT
# Checks the generated udev rule for a table of IDs, and that unusable IDs
# stop the build instead of producing a rule.
# Run: cmake -DWORK_DIR=<dir> -P UdevRuleTest.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/UdevRule.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/UdevRuleLint.cmake)

# Child mode: generate one rule, used to see generation fail.
if(DEFINED GENERATE_TO)
  # IDs come through the environment: -D would trim their white space.
  torvex_udev_rule("${GENERATE_TO}" VENDOR_ID "$ENV{TORVEX_TEST_VID}" PRODUCT_ID "$ENV{TORVEX_TEST_PID}")
  return()
endif()

set(failures "")
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

# vid | pid | USB rule | Bluetooth rule
set(good_cases
  "0x1209|0x0001|KERNEL==\"hidraw*\", ATTRS{idVendor}==\"1209\", ATTRS{idProduct}==\"0001\", TAG+=\"uaccess\"|KERNEL==\"hidraw*\", KERNELS==\"0005:1209:0001.*\", TAG+=\"uaccess\""
  "0xABCD|0x00EF|KERNEL==\"hidraw*\", ATTRS{idVendor}==\"abcd\", ATTRS{idProduct}==\"00ef\", TAG+=\"uaccess\"|KERNEL==\"hidraw*\", KERNELS==\"0005:ABCD:00EF.*\", TAG+=\"uaccess\""
  "0xabcd|0XeF|KERNEL==\"hidraw*\", ATTRS{idVendor}==\"abcd\", ATTRS{idProduct}==\"00ef\", TAG+=\"uaccess\"|KERNEL==\"hidraw*\", KERNELS==\"0005:ABCD:00EF.*\", TAG+=\"uaccess\""
  "4617|1|KERNEL==\"hidraw*\", ATTRS{idVendor}==\"1209\", ATTRS{idProduct}==\"0001\", TAG+=\"uaccess\"|KERNEL==\"hidraw*\", KERNELS==\"0005:1209:0001.*\", TAG+=\"uaccess\""
  "0|65535|KERNEL==\"hidraw*\", ATTRS{idVendor}==\"0000\", ATTRS{idProduct}==\"ffff\", TAG+=\"uaccess\"|KERNEL==\"hidraw*\", KERNELS==\"0005:0000:FFFF.*\", TAG+=\"uaccess\""
  "0x00001209|0x0000|KERNEL==\"hidraw*\", ATTRS{idVendor}==\"1209\", ATTRS{idProduct}==\"0000\", TAG+=\"uaccess\"|KERNEL==\"hidraw*\", KERNELS==\"0005:1209:0000.*\", TAG+=\"uaccess\""
)

set(udevadm_verify OFF)
find_program(UDEVADM udevadm PATHS /usr/bin /bin /sbin /usr/sbin)
if(UDEVADM)
  execute_process(COMMAND ${UDEVADM} verify --help RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(rc EQUAL 0)
    set(udevadm_verify ON)
  endif()
endif()

set(i 0)
foreach(case IN LISTS good_cases)
  math(EXPR i "${i} + 1")
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 vid)
  list(GET fields 1 pid)
  list(GET fields 2 want_usb)
  list(GET fields 3 want_bt)
  set(out "${WORK_DIR}/case${i}.rules")
  file(REMOVE "${out}")
  torvex_udev_rule("${out}" VENDOR_ID "${vid}" PRODUCT_ID "${pid}")
  file(STRINGS "${out}" lines REGEX "^[^#]")
  set(want "${want_usb}" "${want_bt}")
  if(NOT lines STREQUAL want)
    fail("${vid}/${pid}: rules are\n    ${lines}\n  want\n    ${want}")
  endif()
  # World-writable nodes or a fixed group would bypass the seat.
  file(READ "${out}" text)
  if(text MATCHES "MODE|GROUP|OWNER")
    fail("${vid}/${pid}: sets MODE, GROUP or OWNER")
  endif()
  torvex_lint_udev_rules("${out}" errors)
  if(errors)
    fail("${vid}/${pid}: ${errors}")
  endif()
  if(udevadm_verify)
    execute_process(COMMAND ${UDEVADM} verify --resolve-names=never "${out}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
    if(NOT rc EQUAL 0)
      fail("${vid}/${pid}: udevadm verify: ${log}")
    endif()
  endif()
endforeach()

# Regenerating with other IDs must replace the old rule, not keep it.
set(out "${WORK_DIR}/regen.rules")
torvex_udev_rule("${out}" VENDOR_ID 0x1209 PRODUCT_ID 0x0001)
torvex_udev_rule("${out}" VENDOR_ID 0x1209 PRODUCT_ID 0x0002)
file(READ "${out}" text)
if(NOT text MATCHES "idProduct}==\"0002\"" OR text MATCHES "0001")
  fail("regenerating kept the old product ID")
endif()

# The child run must work for good IDs, or the refusals below prove nothing.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TORVEX_TEST_VID=0x1209 TORVEX_TEST_PID=0x0001
          ${CMAKE_COMMAND} "-DGENERATE_TO=${WORK_DIR}/child.rules" -P "${CMAKE_CURRENT_LIST_FILE}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS "${WORK_DIR}/child.rules")
  fail("generation in a child run failed for good IDs")
endif()

set(bad_ids
  "0x10000" "65536" "99999" "0x" "" "0x12G4" "01209" "-1" " 0x1209" "0x1209 " "1e3"
  "0x1209\"" "0x1209\", MODE=\"0666" "0xFFFFFFFFFFFFFFFF1209")
foreach(bad IN LISTS bad_ids)
  foreach(which vid pid)
    set(vid 0x1209)
    set(pid 0x0001)
    set(${which} "${bad}")
    set(out "${WORK_DIR}/bad.rules")
    file(REMOVE "${out}")
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env "TORVEX_TEST_VID=${vid}" "TORVEX_TEST_PID=${pid}"
              ${CMAKE_COMMAND} "-DGENERATE_TO=${out}" -P "${CMAKE_CURRENT_LIST_FILE}"
      RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
    if(rc EQUAL 0 OR EXISTS "${out}")
      fail("${which} \"${bad}\" was accepted")
    endif()
  endforeach()
endforeach()

# The lint itself must refuse what udev would misread or we must not ship.
set(bad_rules
  "KERNEL==\"hidraw*\" TAG+=\"uaccess\""
  "KERNEL==\"hidraw*\", TAG+=uaccess"
  "KERNEL=\"hidraw*\", TAG+=\"uaccess\""
  "KERNEL==\"hidraw*\", ATTRS==\"1209\", TAG+=\"uaccess\""
  "KERNEL==\"hidraw*\", ATTRS{idVendor}=\"1209\""
  "KERNEL==\"hidraw*\", MODE==\"0666\""
  "KERNEL==\"hidraw*\""
  "KRENEL==\"hidraw*\", TAG+=\"uaccess\""
  "KERNEL==\"hidraw*\", TAG+=\"uaccess\",")
foreach(rule IN LISTS bad_rules)
  file(WRITE "${WORK_DIR}/lint.rules" "# comment\n${rule}\n")
  torvex_lint_udev_rules("${WORK_DIR}/lint.rules" errors)
  if(NOT errors)
    fail("lint accepted: ${rule}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "udev rule: all cases pass (udevadm verify: ${udevadm_verify})")
