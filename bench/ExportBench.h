#pragma once

#include <string>

/// Runs one of the export benchmarks (export-ofx-100000, export-csv-100000) or both
/// ("export"); returns -1 when the name is none of them.
int RunExportBench(const std::string& name);
