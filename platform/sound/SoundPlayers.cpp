// The desktop's event-sound player, libcanberra: it plays a file on the desktop's sound
// server (or ALSA) in the background and returns at once.
#include "platform/sound/SoundPlayers.h"

#include <alsa/asoundlib.h>
#include <canberra.h>

#include <memory>
#include <mutex>

namespace
{

// ALSA writes its own complaints to standard error, such as that there is no sound card;
// a chime that cannot play is not reported.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

class CanberraPlayer : public SoundPlayer
{
public:
    bool Play(const std::string& path) override
    {
        // Each chime plays on a thread of its own.
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_context) {
            snd_lib_error_set_handler(QuietAlsa);
            ca_context* context = nullptr;
            if (ca_context_create(&context) != CA_SUCCESS)
                return false;
            m_context.reset(context);
            ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Solmira", CA_PROP_APPLICATION_ID,
                                    "org.example.Solmira", nullptr);
        }
        // The context stays for the program's life: destroying it would stop the sound.
        return ca_context_play(m_context.get(), 0, CA_PROP_MEDIA_FILENAME, path.c_str(), CA_PROP_MEDIA_ROLE, "event",
                               nullptr) == CA_SUCCESS;
    }

private:
    struct Destroy {
        void operator()(ca_context* context) const { ca_context_destroy(context); }
    };
    std::mutex m_mutex;
    std::unique_ptr<ca_context, Destroy> m_context;
};

}  // namespace

SoundPlayer& PlatformSoundPlayer()
{
    // Never destroyed: a thread that plays may outlive the program's end.
    static CanberraPlayer* const player = new CanberraPlayer;
    return *player;
}
