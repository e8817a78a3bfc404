#pragma once

#include <istream>
#include <string>

/// Reads the next line, ended by LF, CR or CR LF (not stored), bytes unchanged; false at
/// the end of the stream.
bool ReadLine(std::istream& stream, std::string& line);
