#include "toolkit/Platform.h"

#include "toolkit/StdPlatform.h"

namespace {
Platform* g_platform = nullptr;
}

Platform& GetPlatform() {
    static StdPlatform plain;
    return g_platform ? *g_platform : plain;
}

void SetPlatform(Platform* platform) { g_platform = platform; }
