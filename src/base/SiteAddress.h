#pragma once

#include <string>

/// The maker's web site without a trailing "/": the setting SiteUrl of section Settings when
/// it is not empty, else the address the program was built with.
std::string MakerSiteUrl();
