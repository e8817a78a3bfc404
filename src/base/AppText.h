#pragma once

/// The caption of every message box of the program.
inline constexpr const char* MessageCaption = "Quorvel Tallybrook";
