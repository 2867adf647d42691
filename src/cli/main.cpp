// rowbit-cli: the headless tool.
#include "cli/command_line.h"

int main(int argc, char** argv) {
    return rowbit::cli::runCommandLine(argc, argv);
}
