#pragma once

#include <string>

/// Runs one of the page and quote benchmarks (home-1000, report-100000, quotes-50x200ms) or
/// all three ("pages"); returns -1 when the name is none of them.
int RunPagesBench(const std::string& name);
