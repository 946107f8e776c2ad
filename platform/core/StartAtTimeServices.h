// Inside the start-at-time service: the services the platform can choose from.
#pragma once

#include "platform/core/StartAtTime.h"

// The service the platform chose for this machine, chosen once.
StartAtTimeService& PlatformStartAtTimeService();
