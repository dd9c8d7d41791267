#pragma once
// The decompression share of a binary file's import, measured alone.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

namespace VelaBench
{
    // How many compressed arrays the binary file at aPath holds (0 for a text file, a big-endian one or a damaged one).
    size_t CompressedArrayCount(const std::string& aPath);

    // Inflates every compressed array of the binary file at aPath, with libdeflate, per iteration;
    // the file must hold compressed arrays.
    void InflateFloor(benchmark::State& aState, const std::string& aPath);
}
