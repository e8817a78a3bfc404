#pragma once

class Controller;

/// When TALLYBROOK_SCREENSHOT names a PNG file, shows the account whose Sequence is in
/// TALLYBROOK_SCREENSHOT_ACCOUNT (or the budget for "Budget"), waits for the window to settle,
/// saves a picture of the main window to that file and closes the window. Used to make the README's
/// picture.
void ScheduleScreenshot(Controller& window);
