// A start that can open no window keeps the daily start going: the retry policy of a
// daily start that found no display.
#pragma once

// Called by a start that can open no window (no display answers, as at boot before anyone
// logs in), so that the daily cycle goes on. A start that the platform made for the daily
// start registers a retry 15 minutes on, for some hours after its daily time, and after
// the last retry the next day's start at that time; still one start pending, never two.
// A start the user made changes nothing. Returns when the registration is done, or after
// a few seconds at most.
void KeepDailyStartWithoutWindow();
