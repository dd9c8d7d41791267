#pragma once
// Checks a SPIR-V module on the calling thread before any GL object is made from it, so a broken shader file fails
// its creation call where it is made.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Vela::Gfx
{
    enum class ShaderStage : uint32_t
    {
        VERTEX = 0,     // SPIR-V execution model numbers
        FRAGMENT = 4,
    };

    struct SpirvSummary
    {
        std::string error;                    // empty when the module is usable
        std::vector<uint32_t> inputLocations; // user inputs of the entry stage (built-ins left out)
    };

    // The module must be whole words with a valid header and instruction stream, and have an entry point "main"
    // of the given stage.
    SpirvSummary CheckSpirv(const void* aBytes, size_t aLength, ShaderStage aStage);
}
