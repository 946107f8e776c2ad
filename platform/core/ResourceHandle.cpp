// The framework's one resource module, set at the program's start.
#include "platform/core/ResourceHandle.h"

namespace
{

HINSTANCE g_resources = nullptr;

}  // namespace

HINSTANCE AfxGetResourceHandle()
{
    return g_resources;
}

void AfxSetResourceHandle(HINSTANCE module)
{
    g_resources = module;
}
