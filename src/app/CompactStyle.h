#pragma once

/// Lets edits, drop-down lists and spinners take the small heights of the main window's
/// layout (the toolkit's default theme pads them to about 34 pixels). Applied once; does
/// nothing where the toolkit offers no style sheets.
void ApplyCompactStyle();
