// The test program: every test runs on Qt's offscreen platform, with its modal windows
// guarded by the scripted user.
#include <gtest/gtest.h>

#include "platform/testing/TestEnvironment.h"

int main(int argc, char** argv)
{
    WindowSystemForTests windowSystem(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
