// The whole installation, run on Finish.
#pragma once

// Probes free space, checks the archive, extracts it with a progress window,
// writes the uninstall log, registers the uninstaller, creates shortcuts.
// True when the installation completed; false after a reported failure or
// when the user declined to go on.
bool RunInstall();

// True while RunInstall is working; the wizard refuses a second run then.
bool InstallRunning();
