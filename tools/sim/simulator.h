#pragma once

#include "options.h"

namespace roteka::sim {

// Opens the line, announces it on stdout, serves commands until SIGINT, SIGTERM or SIGHUP
// and returns the process exit status.
int runSimulator(const Options& options);

} // namespace roteka::sim
