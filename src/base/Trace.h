#pragma once

#include <string>

/// Sets the trace log's path and empties (creates) the file.
void StartTrace(const std::string& path);
/// The trace log's path; "" before StartTrace.
const std::string& TracePath();
/// Appends one line to the trace log and flushes it; a line that cannot be written is
/// dropped silently.
void Trace(const std::string& text);
