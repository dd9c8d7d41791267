// Vertex de-duplication by VertexHash: the hashes of many vertices at once, and the first-come table.
#include "ImporterInternal.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace VelaFBX
{
    namespace
    {
        constexpr size_t FIRST_BONE_INDEX = 3 + 16 + 8 + 9;
        static_assert(offsetof(Vertex, colors) == 16 && sizeof(Vertex) == 16 + (VertexDeduplicator::HASHED_VALUES - 3) * 4,
                      "the hashed values follow the position without gaps");

        size_t SlotOf(uint64_t aKey, uint64_t aMask) { return static_cast<size_t>((aKey ^ (aKey >> 32)) & aMask); }

        // FNV-1a 64 over the value's four little-endian bytes.
        constexpr uint64_t ValueHash(uint32_t aValue)
        {
            constexpr uint64_t PRIME = 0x100000001b3ull;
            uint64_t hash = 0xcbf29ce484222325ull;
            hash = (hash ^ (aValue & 0xFFu)) * PRIME;
            hash = (hash ^ ((aValue >> 8) & 0xFFu)) * PRIME;
            hash = (hash ^ ((aValue >> 16) & 0xFFu)) * PRIME;
            hash = (hash ^ (aValue >> 24)) * PRIME;
            return hash;
        }
        constexpr uint64_t ZERO_VALUE_HASH = ValueHash(0);

        constexpr std::array<uint32_t, VertexDeduplicator::HASHED_VALUES> ZERO_TEST_MASKS = [] {
            std::array<uint32_t, VertexDeduplicator::HASHED_VALUES> masks{};
            for (size_t i = 0; i < masks.size(); ++i)
                masks[i] = i >= FIRST_BONE_INDEX && i < FIRST_BONE_INDEX + 4 ? 0xFFFFFFFFu : 0x7FFFFFFFu;
            return masks;
        }();

        // The running combination is one long dependency chain per vertex; LANES vertices' chains run
        // interleaved, so the processor works on them side by side. Each value's hash is independent
        // of the others (most values are zero, whose hash is known).
        template <size_t LANES>
        void HashLanes(const VertexDeduplicator::Values* someValues, uint64_t* someOut)
        {
            uint64_t seeds[LANES] = {};
#pragma GCC unroll 44
            for (size_t i = 0; i < VertexDeduplicator::HASHED_VALUES; ++i)
            {
#pragma GCC unroll 8
                for (size_t lane = 0; lane < LANES; ++lane)
                {
                    const uint32_t value = someValues[lane][i];
                    const uint64_t hash = value == 0 ? ZERO_VALUE_HASH : ValueHash(value);
                    seeds[lane] ^= hash + 0x9e3779b9ull + (seeds[lane] << 6) + (seeds[lane] >> 2);
                }
            }
            for (size_t lane = 0; lane < LANES; ++lane)
                someOut[lane] = seeds[lane];
        }

#if defined(__x86_64__) && defined(__GNUC__)
        // With 512-bit vectors (and their 64-bit multiply), eight vertices' hashes at once, one per lane:
        // the same steps, in the same order, as HashLanes.
        constexpr size_t WIDE_LANES = 8;

        using WideValues = uint32_t __attribute__((vector_size(32)));
        using WideHashes = uint64_t __attribute__((vector_size(64)));

        // HashLanes' steps, in the same order, for GROUPS x eight consecutive vertices, one per lane; each value
        // of the eight is gathered straight from them (no copy, no transpose). Values set in aZeroValues are zero
        // in every vertex: only their chain step is taken, with the known hash of zero. Each group's chain
        // depends on its own steps only, so several groups run side by side.
        template <size_t GROUPS>
        __attribute__((target("avx512f,avx512dq,avx2"))) void HashWideGathered(const Vertex* someVertices, uint64_t aZeroValues,
                                                                                uint64_t* someOut)
        {
            constexpr uint64_t PRIME = 0x100000001b3ull;
            constexpr uint64_t GOLDEN = 0x9e3779b9ull;
            constexpr int VERTEX_VALUES = static_cast<int>(sizeof(Vertex) / sizeof(uint32_t));
            static_assert(sizeof(Vertex) % sizeof(uint32_t) == 0, "vertices are whole four-byte values apart");
            const __m256i laneOffsets = _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(VERTEX_VALUES));
            WideHashes seeds[GROUPS] = {};
            for (size_t i = 0; i < VertexDeduplicator::HASHED_VALUES; ++i)
            {
                const bool zero = aZeroValues >> i & 1;
                // Value i sits at four-byte offset i in the vertex, past the position's w from the fourth on.
                const int offset = static_cast<int>(i < 3 ? i : i + 1);
#pragma GCC unroll 4
                for (size_t group = 0; group < GROUPS; ++group)
                {
                    WideHashes hashAndGolden = WideHashes{} + (ZERO_VALUE_HASH + GOLDEN);
                    if (!zero)
                    {
                        const int* base = reinterpret_cast<const int*>(someVertices + group * WIDE_LANES);
                        __m256i values = _mm256_i32gather_epi32(base + offset, laneOffsets, 4);
                        const __m256i masked = _mm256_and_si256(values, _mm256_set1_epi32(static_cast<int>(ZERO_TEST_MASKS[i])));
                        values = _mm256_andnot_si256(_mm256_cmpeq_epi32(masked, _mm256_setzero_si256()), values);
                        if (!_mm256_testz_si256(values, values))
                        {
                            WideValues narrow;
                            std::memcpy(&narrow, &values, sizeof(narrow));
                            const WideHashes value = __builtin_convertvector(narrow, WideHashes);
                            WideHashes hash = ((WideHashes{} + 0xcbf29ce484222325ull) ^ (value & 0xFF)) * PRIME;
                            hash = (hash ^ ((value >> 8) & 0xFF)) * PRIME;
                            hash = (hash ^ ((value >> 16) & 0xFF)) * PRIME;
                            hash = (hash ^ (value >> 24)) * PRIME;
                            hashAndGolden = hash + GOLDEN;
                        }
                    }
                    seeds[group] ^= hashAndGolden + (seeds[group] << 6) + (seeds[group] >> 2);
                }
            }
            std::memcpy(someOut, seeds, sizeof(seeds));
        }

        bool HasWideHash()
        {
            static const bool has = [] {
                __builtin_cpu_init();
                return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
            }();
            return has;
        }
#else
        constexpr size_t WIDE_LANES = 8;
        template <size_t GROUPS>
        void HashWideGathered(const Vertex*, uint64_t, uint64_t*) {}
        bool HasWideHash() { return false; }
#endif
    }

    void VertexDeduplicator::GetHashedValues(const Vertex& aVertex, Values& aOut)
    {
        std::memcpy(aOut.data(), aVertex.position, 3 * sizeof(uint32_t));
        std::memcpy(aOut.data() + 3, aVertex.colors, (HASHED_VALUES - 3) * sizeof(uint32_t));
        // A value whose bits under its mask are all zero becomes 0: the sign bit is masked off for
        // floats (so -0.0 reads as +0.0), nothing for the bone indices. Branch-free, so it vectorises.
        for (size_t i = 0; i < HASHED_VALUES; ++i)
            aOut[i] = (aOut[i] & ZERO_TEST_MASKS[i]) == 0 ? 0 : aOut[i];
    }

    uint64_t VertexDeduplicator::HashValues(const Values& someValues)
    {
        uint64_t hash = 0;
        HashLanes<1>(&someValues, &hash);
        return hash;
    }

    void VertexDeduplicator::HashVertices(const Vertex* someVertices, size_t aCount, uint64_t* someOut, uint64_t aZeroValues)
    {
        constexpr size_t LANES = 4;
        Values values[WIDE_LANES];
        size_t i = 0;
        if (HasWideHash())
        {
            for (; i + 2 * WIDE_LANES <= aCount; i += 2 * WIDE_LANES)
                HashWideGathered<2>(someVertices + i, aZeroValues, someOut + i);
            for (; i + WIDE_LANES <= aCount; i += WIDE_LANES)
                HashWideGathered<1>(someVertices + i, aZeroValues, someOut + i);
        }
        for (; i + LANES <= aCount; i += LANES)
        {
            for (size_t lane = 0; lane < LANES; ++lane)
                GetHashedValues(someVertices[i + lane], values[lane]);
            HashLanes<LANES>(values, someOut + i);
        }
        for (; i < aCount; ++i)
        {
            GetHashedValues(someVertices[i], values[0]);
            someOut[i] = HashValues(values[0]);
        }
    }

    uint64_t VertexHash(const Vertex& aVertex)
    {
        VertexDeduplicator::Values values;
        VertexDeduplicator::GetHashedValues(aVertex, values);
        return VertexDeduplicator::HashValues(values);
    }

    void VertexDeduplicator::Reset(size_t aExpected)
    {
        size_t capacity = 16;
        while (capacity < aExpected * 2)
            capacity *= 2;
        myCount = 0;
        myMask = capacity - 1;
        mySlots.assign(capacity, Slot());
    }

    void VertexDeduplicator::Rebuild(size_t aCapacity)
    {
        std::vector<Slot> old(aCapacity, Slot());
        old.swap(mySlots);
        myMask = aCapacity - 1;
        for (const Slot& entry : old)
        {
            if (entry.index == EMPTY)
                continue;
            size_t slot = SlotOf(entry.hash, myMask);
            while (mySlots[slot].index != EMPTY)
                slot = (slot + 1) & myMask;
            mySlots[slot] = entry;
        }
    }

    uint32_t VertexDeduplicator::Add(uint64_t aHash)
    {
        // At most half full, so probes stay short (and always end).
        if ((static_cast<size_t>(myCount) + 1) * 2 > mySlots.size())
            Rebuild(std::max<size_t>(16, mySlots.size() * 2));
        size_t slot = SlotOf(aHash, myMask);
        for (; mySlots[slot].index != EMPTY; slot = (slot + 1) & myMask)
            if (mySlots[slot].hash == aHash)
                return mySlots[slot].index;
        mySlots[slot] = {aHash, myCount};
        return myCount++;
    }

    void VertexDeduplicator::AddAll(const uint64_t* someHashes, size_t aCount, uint32_t* someIndices, std::vector<uint32_t>& someFirsts)
    {
        // The table is too big for the nearest caches, and the hashes are known well before they are added:
        // their slots are loaded ahead.
        constexpr size_t PREFETCH_AHEAD = 32;
        for (size_t i = 0; i < aCount; ++i)
        {
            if (i + PREFETCH_AHEAD < aCount)
                __builtin_prefetch(&mySlots[SlotOf(someHashes[i + PREFETCH_AHEAD], myMask)]);
            const uint32_t count = myCount;
            someIndices[i] = Add(someHashes[i]);
            if (myCount != count)
                someFirsts.push_back(static_cast<uint32_t>(i));
        }
    }
}
