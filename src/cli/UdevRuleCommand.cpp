// SPDX-License-Identifier: MIT
// torvex-ctl udev-rule: the rule cmake/UdevRule.cmake generated at configure time.
#include "cli/Commands.h"
#include "cli/UdevRuleText.h"

namespace torvex::cli {

int RunUdevRule(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "udev-rule takes no operands");
  c.io.out << kUdevRuleText;
  return kDone;
}

}  // namespace torvex::cli
