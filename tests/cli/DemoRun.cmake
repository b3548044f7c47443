# SPDX-License-Identifier: MIT
# Runs torvex-ctl on the demo boards: cmake -DCTL=<torvex-ctl> -P DemoRun.cmake
function(expect code out_regex)
  execute_process(COMMAND ${CTL} --demo ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL code OR NOT out MATCHES "${out_regex}")
    message(FATAL_ERROR "torvex-ctl --demo ${ARGN}: exit ${rc}, want ${code}\n${out}\n${err}")
  endif()
endfunction()

expect(0 "TVX-24A-0117 .*ok\nTVX-24A-0342 .*ok\n" list)
expect(0 "\"analog-mode\": {\n *\"stored\": 1,\n *\"text\": \"Throttle and Brake\"" --board TVX-24A-0342
       show --json)
expect(0 "^00 01 45 00 00[0-9a-f ]*\n00 01 46 20 00[0-9a-f ]*\n00 01 47 80 00[0-9a-f ]*\n$"
       --board TVX-24A-0342 set clutch-bite=50 analog-mode=dual-clutch --dry-run)
expect(64 "^$" show)  # two boards and no --board
expect(64 "^$" --board TVX-24A-0342 set led=101)
