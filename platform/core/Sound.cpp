// PlaySound: a sound file by path, handed to the player without waiting.
#include "platform/core/Sound.h"

#include "platform/core/Paths.h"
#include "platform/core/ProgramFiles.h"
#include "platform/core/SoundPlayers.h"

namespace
{

SoundPlayer* g_replacement = nullptr;

}  // namespace

BOOL PlaySound(LPCTSTR sound, HINSTANCE /*module*/, DWORD flags)
{
    // Only files, played without waiting, as the program asks.
    if (sound == nullptr || !(flags & SND_FILENAME) || !(flags & SND_ASYNC))
        return FALSE;
    SoundPlayer& player = g_replacement != nullptr ? *g_replacement : PlatformSoundPlayer();
    return player.Play(HostPathToRead(HostPathFromDevicePath(sound))) ? TRUE : FALSE;
}

SoundPlayer* SetSoundPlayer(SoundPlayer* player)
{
    SoundPlayer* previous = g_replacement;
    g_replacement = player;
    return previous;
}
