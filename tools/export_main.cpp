// SPDX-License-Identifier: GPL-3.0-or-later
// duskmapper-export [OPTIONS] IMAGE... -o OUTPUT
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "tools/export.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return dusk::ExportCommand(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
