#pragma once

#include <string>

/// Runs the start-up benchmark ("start-1000000"): opening a database of 1,000,000
/// transactions as the desktop start does, the backup copy it then takes on its worker
/// thread, and the engine's bare online backup of the same file as the floor. Returns -1
/// when the name is not its own.
int RunBackupBench(const std::string& name);
