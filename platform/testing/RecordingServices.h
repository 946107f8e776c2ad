// Recording versions of the start-at-time service and the sound player. Each takes the
// platform's place while it lives, and keeps what the program asked of it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/dailystart/StartAtTime.h"
#include "platform/sound/Sound.h"
#include "platform/testing/TestSeam.h"

class RecordingStartAtTime : public StartAtTimeService
{
public:
    struct Call {
        bool cancel;
        std::string program;
        SYSTEMTIME time;  // zero for a cancel
    };

    StartOutcome Register(const std::string& programPath, const SYSTEMTIME& localTime) override;
    // Kept as a registration at the retry's local time.
    StartOutcome RegisterRetry(const std::string& programPath, std::time_t instant, std::time_t dailyStart) override;
    StartOutcome Cancel(const std::string& programPath) override;

    std::vector<Call> calls;
    // The pending start of each program, as the service keeps them: one per path.
    std::map<std::string, SYSTEMTIME> pending;

private:
    TestSeam<StartAtTimeService*, SetStartAtTimeServiceForTesting> m_inPlace{this};
};

class RecordingSoundPlayer : public SoundPlayer
{
public:
    bool Play(const std::string& path) override
    {
        played.push_back(path);
        return true;
    }

    std::vector<std::string> played;

private:
    TestSeam<SoundPlayer*, SetSoundPlayerForTesting> m_inPlace{this};
};
