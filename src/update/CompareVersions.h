#pragma once

#include <string_view>

/// Results of CompareVersions beyond the ordering.
constexpr int InvalidCandidateVersion = -21;
constexpr int InvalidOwnVersion = -22;

/// Orders two version numbers "major.minor.build.revision": 1 when the candidate is higher,
/// -1 when lower, 0 when equal. A version has one to four parts of decimal digits only,
/// separated by dots (a run of dots counts as one, missing parts are 0); a text that is not
/// one gives InvalidCandidateVersion (checked first) or InvalidOwnVersion.
int CompareVersions(std::string_view candidate, std::string_view own);
