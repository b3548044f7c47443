// SPDX-License-Identifier: MIT
// torvex-ctl: the command line for Torvex wheel boards.
#include "cli/Cli.h"

int main(int argc, char** argv) {
  return torvex::cli::Main(argc, argv);
}
