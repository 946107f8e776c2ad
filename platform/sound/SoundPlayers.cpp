// The desktop's event-sound player, libcanberra: it plays a file on the desktop's sound
// server (or ALSA) in the background and returns at once. The library, and the sound
// system's libraries that come with it, are loaded when the first chime plays: most starts
// play none.
#include "platform/sound/SoundPlayers.h"

#include <canberra.h>
#include <dlfcn.h>

#include <mutex>

namespace
{

// ALSA writes its own complaints to standard error, such as that there is no sound card;
// a chime that cannot play is not reported. The handler is set in ALSA's library before
// libcanberra's ALSA driver loads it, and stays while the program runs.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);

// A function of a library loaded by name; null where the library or the function is missing.
template <typename Function>
Function Find(void* library, const char* name)
{
    return library != nullptr ? reinterpret_cast<Function>(::dlsym(library, name)) : nullptr;
}

class CanberraPlayer : public SoundPlayer
{
public:
    bool Play(const std::string& path) override
    {
        // Each chime plays on a thread of its own.
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_loaded) {
            m_loaded = true;
            Load();
        }
        return m_context != nullptr && m_play(m_context, 0, CA_PROP_MEDIA_FILENAME, path.c_str(), CA_PROP_MEDIA_ROLE,
                                              "event", nullptr) == CA_SUCCESS;
    }

private:
    // Loaded once in a run, and kept: a machine without the library plays nothing.
    void Load()
    {
        if (const auto quiet = Find<int (*)(AlsaErrorHandler)>(::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL),
                                                               "snd_lib_error_set_handler"))
            quiet(QuietAlsa);
        void* const canberra = ::dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
        const auto create = Find<decltype(&ca_context_create)>(canberra, "ca_context_create");
        const auto changeProps = Find<decltype(&ca_context_change_props)>(canberra, "ca_context_change_props");
        m_play = Find<decltype(&ca_context_play)>(canberra, "ca_context_play");
        ca_context* context = nullptr;
        if (create == nullptr || changeProps == nullptr || m_play == nullptr || create(&context) != CA_SUCCESS)
            return;
        changeProps(context, CA_PROP_APPLICATION_NAME, "Solmira", CA_PROP_APPLICATION_ID, "org.example.Solmira",
                    nullptr);
        m_context = context;
    }

    std::mutex m_mutex;
    bool m_loaded = false;
    // The context stays for the program's life: destroying it would stop the sound.
    ca_context* m_context = nullptr;
    decltype(&ca_context_play) m_play = nullptr;
};

}  // namespace

SoundPlayer& PlatformSoundPlayer()
{
    // Never destroyed: a thread that plays may outlive the program's end.
    static CanberraPlayer* const player = new CanberraPlayer;
    return *player;
}
