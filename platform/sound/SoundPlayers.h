// Inside the sound player: the desktop's player.
#pragma once

#include "platform/sound/Sound.h"

SoundPlayer& PlatformSoundPlayer();
