// PlaySound: a sound file by path, handed to the player without waiting.
#include "platform/sound/Sound.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>
#include <thread>
#include <utility>

#include "platform/core/Paths.h"
#include "platform/core/ProgramFiles.h"
#include "platform/core/RegularFile.h"
#include "platform/sound/SoundPlayers.h"

namespace
{

SoundPlayer* g_playerForTesting = nullptr;

}  // namespace

BOOL PlaySound(LPCTSTR sound, HINSTANCE /*module*/, DWORD flags)
{
    // Only files, played without waiting, as the program asks.
    if (sound == nullptr || !(flags & SND_FILENAME) || !(flags & SND_ASYNC))
        return FALSE;
    const std::string path = HostPathToRead(HostPathFromDevicePath(sound));
    if (g_playerForTesting != nullptr)
        return g_playerForTesting->Play(path) ? TRUE : FALSE;
    // The file is opened on a thread of its own: one that never opens (a FIFO, a stalled
    // network mount) must not hold the start. Only a regular file is handed on.
    try {
        std::thread([path] {
            const int fd = OpenRegularFile(path, O_RDONLY);
            if (fd < 0)
                return;
            ::close(fd);
            PlatformSoundPlayer().Play(path);
        }).detach();
    } catch (const std::system_error&) {
        return FALSE;
    }
    return TRUE;
}

SoundPlayer* SetSoundPlayerForTesting(SoundPlayer* player)
{
    return std::exchange(g_playerForTesting, player);
}
