#pragma once

#include <string>

/// Runs the Find benchmark ("find-1000000") over the reports benchmark's database: searches
/// of rare and common words, of one, two and three characters, and a word with an amount
/// range, against the engine's bare scan of the texts. Returns -1 when the name is not its
/// own.
int RunFindBench(const std::string& name);
