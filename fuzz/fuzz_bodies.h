#pragma once
// What each fuzz target does with one input, shared by the targets and by the tests that
// replay the inputs kept in fuzz/regressions/, so that a replay is exactly the run that failed.

#include <cstddef>
#include <cstdint>
#include <string>

namespace rowbit::fuzz {

// Loads the bytes as a binary workbook; whatever loads is read cell by cell, edited, has two
// rows swapped and its stream built again. Returns what went wrong that never may (a crash,
// a hang or a leak shows itself instead); empty when nothing did.
std::string exerciseXls(const std::uint8_t* data, std::size_t size);

// Loads the bytes as an XML workbook: a whole zip package when they start with "PK",
// otherwise a sheet part, a shared strings part and a styles part cut at "\n--\n" into an
// otherwise sound package. Whatever loads is read in full, edited, saved and loaded again; a
// sheet part is also read in small pieces on worker threads, which must read alike. Returns
// what went wrong that never may; empty when nothing did.
std::string exerciseXlsx(const std::uint8_t* data, std::size_t size);

} // namespace rowbit::fuzz
