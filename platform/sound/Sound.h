// The sound player: plays a sound file by path and returns at once.
#pragma once

#include <string>

#include "platform/core/Types.h"

constexpr DWORD SND_ASYNC = 0x0001;
constexpr DWORD SND_FILENAME = 0x00020000;

// Plays the WAV file at path (the device's form) on the desktop's audio. With SND_ASYNC
// it returns at once while the sound plays on; the file is opened and played on a thread of
// the player's. A missing, unplayable or not regular file, or no audio device, is not
// reported: the result only says whether the file was handed to the player.
BOOL PlaySound(LPCTSTR sound, HINSTANCE module, DWORD flags);

// What plays the sound: the desktop's player, or, in tests, a record.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // Starts playing the file at a host path and returns at once.
    virtual bool Play(const std::string& path) = 0;
};

// Test seam: a player in place of the platform's (null: the platform's own). Returns the
// one it replaces.
SoundPlayer* SetSoundPlayerForTesting(SoundPlayer* player);
