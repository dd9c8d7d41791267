// Feeds arbitrary bytes to the FBX record parser; any crash or sanitizer report is a bug.
#include "Platform/fbx/FbxDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    Vela::Fbx::Document document;
    std::string error;
    const bool parsed = Vela::Fbx::ParseDocument({reinterpret_cast<const std::byte*>(aData), aSize}, document, error);
    // A refusal always explains itself.
    if (!parsed && error.empty())
        __builtin_trap();
    return 0;
}
