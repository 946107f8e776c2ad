// Inside the sound player: the desktop's player.
#pragma once

#include "platform/core/Sound.h"

SoundPlayer& PlatformSoundPlayer();
