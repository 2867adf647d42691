#pragma once
// rowbit-cli's command line: the commands, their arguments and options, --help and
// --version, read by CLI11. A usage error names what was wrong and exits 64.

namespace rowbit::cli {

// Parses the command line and runs the command; the program's exit status.
int runCommandLine(int argc, char** argv);

} // namespace rowbit::cli
