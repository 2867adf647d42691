// list, setup, totals, search, sort, resave: the document layer from a shell.
#include "cli/commands.h"

#include <cstdio>

namespace rowbit::cli {

namespace {
int notYet(const char* name) {
    std::fprintf(stderr, "rowbit-cli: %s is not available yet\n", name);
    return 2;
}
} // namespace

int list(const Args&) {
    return notYet("list");
}
int setup(const Args&) {
    return notYet("setup");
}
int totals(const Args&) {
    return notYet("totals");
}
int search(const Args&) {
    return notYet("search");
}
int sort(const Args&) {
    return notYet("sort");
}
int resave(const Args&) {
    return notYet("resave");
}

} // namespace rowbit::cli
