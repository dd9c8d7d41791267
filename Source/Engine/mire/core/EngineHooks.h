#pragma once
// Two lists of hooks the program may hand the engine through its configuration. They are kept for later
// use; no engine step runs them yet.
#include "mire/settings/EngineConfiguration.h"

#include <map>
#include <string>
#include <vector>

namespace Vela
{
    struct EngineHooks
    {
        std::vector<HookCallback> myListA;
        std::vector<HookCallback> myListB;
        std::map<std::string, HookCallback> myNamedHooks;
    };
}
