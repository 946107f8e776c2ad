// What every start of the program does with the settings.
#pragma once

// Loads the settings (asking for them in the Settings window when there are none yet),
// plays the chime when Bell Chime is on, and brings the pending daily start in line with
// AutoRun without a message.
void ApplyStartupSettings();
