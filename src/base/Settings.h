#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// The value of a key in a section of the settings file; "" when the file, section or key
/// is missing; at most 259 characters.
std::string GetSetting(const std::string& key, const std::string& section);
/// Writes a value, creating the file, section or key as needed; failures are ignored.
void WriteSetting(const std::string& key, const std::string& value, const std::string& section);
/// Whether the value of the key in "Settings" is exactly "1".
bool GetBoolSetting(const std::string& key);
std::vector<std::int32_t> GetIntListSetting(const std::string& key);
void WriteIntListSetting(const std::string& key, const std::vector<std::int32_t>& values);
std::vector<double> GetColumnWidths(const std::string& key);
void WriteColumnWidths(const std::string& key, const std::vector<double>& widths);
/// Cuts a value at every ","; the text after the last comma is always a piece.
std::vector<std::string> SplitSettingList(const std::string& value);
