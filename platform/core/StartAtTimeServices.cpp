// The start-at-time services of Linux, and the choice between them.
#include "platform/core/StartAtTimeServices.h"

#include <cstdio>

namespace
{

// Where no scheduler answers: says so once and registers nothing.
class NoService : public StartAtTimeService
{
public:
    bool Register(const std::string&, const SYSTEMTIME&) override
    {
        Warn();
        return false;
    }
    bool Cancel(const std::string&) override
    {
        Warn();
        return false;
    }

private:
    void Warn()
    {
        if (!m_warned)
            std::fputs(
                "solmira: no scheduler answers (neither a systemd user manager nor atd); "
                "the daily start is not registered\n",
                stderr);
        m_warned = true;
    }
    bool m_warned = false;
};

}  // namespace

StartAtTimeService& PlatformStartAtTimeService()
{
    static NoService none;
    return none;
}
