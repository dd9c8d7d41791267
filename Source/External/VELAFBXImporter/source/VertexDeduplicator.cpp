// Vertex de-duplication by VertexHash, with a cheap first look-up for repeated corners.
#include "ImporterInternal.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace VelaFBX
{
    namespace
    {
        constexpr size_t FIRST_BONE_INDEX = 3 + 16 + 8 + 9;
        static_assert(offsetof(Vertex, colors) == 16 && sizeof(Vertex) == 16 + (VertexDeduplicator::HASHED_VALUES - 3) * 4,
                      "the hashed values follow the position without gaps");

        // A fast mix of the values (four independent lanes, unrolled so they stay in registers), only for
        // finding repeats of the same values.
        uint64_t CheapHash(const VertexDeduplicator::Values& someValues)
        {
            constexpr size_t WORDS = VertexDeduplicator::HASHED_VALUES / 2;
            static_assert(WORDS % 4 == 2, "four lanes of whole words, then two more words");
            uint64_t words[WORDS];
            std::memcpy(words, someValues.data(), sizeof(words));
            uint64_t lane0 = 0x243F6A8885A308D3ull, lane1 = 0x13198A2E03707344ull;
            uint64_t lane2 = 0xA4093822299F31D0ull, lane3 = 0x082EFA98EC4E6C89ull;
            auto mix = [](uint64_t& aLane, uint64_t aWord) {
                aLane = (aLane ^ aWord) * 0x9E3779B97F4A7C15ull;
                aLane ^= aLane >> 29;
            };
            for (size_t i = 0; i + 4 <= WORDS; i += 4)
            {
                mix(lane0, words[i]);
                mix(lane1, words[i + 1]);
                mix(lane2, words[i + 2]);
                mix(lane3, words[i + 3]);
            }
            mix(lane0, words[WORDS - 2]);
            mix(lane1, words[WORDS - 1]);
            uint64_t hash = lane0 ^ (lane1 * 0xBF58476D1CE4E5B9ull) ^ (lane2 * 0x94D049BB133111EBull) ^ (lane3 * 0xD6E8FEB86659FD93ull);
            return hash ^ (hash >> 31);
        }

        size_t SlotOf(uint64_t aKey, uint64_t aMask) { return static_cast<size_t>((aKey ^ (aKey >> 32)) & aMask); }

        constexpr uint64_t ValueHash(uint32_t aValue)
        {
            uint64_t hash = 0xcbf29ce484222325ull;
            for (int byte = 0; byte < 4; ++byte)
            {
                hash ^= (aValue >> (8 * byte)) & 0xFFu;
                hash *= 0x100000001b3ull;
            }
            return hash;
        }
        constexpr uint64_t ZERO_VALUE_HASH = ValueHash(0);

        constexpr std::array<uint32_t, VertexDeduplicator::HASHED_VALUES> ZERO_TEST_MASKS = [] {
            std::array<uint32_t, VertexDeduplicator::HASHED_VALUES> masks{};
            for (size_t i = 0; i < masks.size(); ++i)
                masks[i] = i >= FIRST_BONE_INDEX && i < FIRST_BONE_INDEX + 4 ? 0xFFFFFFFFu : 0x7FFFFFFFu;
            return masks;
        }();
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
        // Each value's FNV-1a 64 over its little-endian bytes, all independent of one another so the
        // processor works on several at once (most values are zero, whose hash is known); then the
        // running combination, in order.
        uint64_t hashes[HASHED_VALUES];
        for (size_t i = 0; i < HASHED_VALUES; ++i)
            hashes[i] = someValues[i] == 0 ? ZERO_VALUE_HASH : ValueHash(someValues[i]);
        uint64_t seed = 0;
        for (uint64_t hash : hashes)
            seed ^= hash + 0x9e3779b9ull + (seed << 6) + (seed >> 2);
        return seed;
    }

    uint64_t VertexHash(const Vertex& aVertex)
    {
        VertexDeduplicator::Values values;
        VertexDeduplicator::GetHashedValues(aVertex, values);
        return VertexDeduplicator::HashValues(values);
    }

    void VertexDeduplicator::Reset(size_t aCorners, size_t aControlPoints)
    {
        // Most meshes have about one distinct vertex per control point (more at seams, never more than
        // corners): sized for that, the tables stay small and grow in the rare case they must.
        const size_t expected = std::min(aCorners, aControlPoints);
        size_t capacity = 16;
        while (capacity < expected * 2)
            capacity *= 2;
        myValueKeys.clear();
        myCollisionOf.clear();
        myValueIndices.clear();
        myCollidedValues.clear();
        myHashes.clear();
        myHashIndices.clear();
        myValueKeys.reserve(expected);
        myCollisionOf.reserve(expected);
        myValueIndices.reserve(expected);
        myHashes.reserve(expected);
        myHashIndices.reserve(expected);
        myRecentIndices.assign(aControlPoints, EMPTY);
        Rebuild(capacity);
    }

    void VertexDeduplicator::Rebuild(size_t aCapacity)
    {
        myMask = aCapacity - 1;
        myByValues.assign(aCapacity, EMPTY);
        myByHash.assign(aCapacity, EMPTY);
        for (uint32_t entry = 0; entry < myValueKeys.size(); ++entry)
        {
            size_t slot = SlotOf(myValueKeys[entry], myMask);
            while (myByValues[slot] != EMPTY)
                slot = (slot + 1) & myMask;
            myByValues[slot] = entry;
        }
        for (uint32_t entry = 0; entry < myHashes.size(); ++entry)
        {
            size_t slot = SlotOf(myHashes[entry], myMask);
            while (myByHash[slot] != EMPTY)
                slot = (slot + 1) & myMask;
            myByHash[slot] = entry;
        }
    }

    uint32_t VertexDeduplicator::Add(const Vertex& aVertex, uint32_t aControlPoint, std::vector<Vertex>& someVertices)
    {
        // The corners of one control point mostly repeat the vertex its latest corner got. A corner whose
        // bytes equal a kept vertex takes that vertex's index, as every kept vertex is the first with its hash.
        uint32_t* recent = aControlPoint < myRecentIndices.size() ? &myRecentIndices[aControlPoint] : nullptr;
        if (recent && *recent != EMPTY && std::memcmp(&someVertices[*recent], &aVertex, sizeof(Vertex)) == 0)
            return *recent;
        Values values;
        GetHashedValues(aVertex, values);
        const uint32_t index = myValueIndices[FindEntry(values, aVertex, someVertices)];
        if (recent)
            *recent = index;
        return index;
    }

    uint32_t VertexDeduplicator::FindEntry(const Values& someValues, const Vertex& aVertex, std::vector<Vertex>& someVertices)
    {
        // At most half full, so probes stay short (and always end).
        if ((myValueKeys.size() + 1) * 2 > myByValues.size())
            Rebuild(std::max<size_t>(16, myByValues.size() * 2));
        const uint64_t cheap = CheapHash(someValues);
        size_t slot = SlotOf(cheap, myMask);
        for (; myByValues[slot] != EMPTY; slot = (slot + 1) & myMask)
        {
            const uint32_t entry = myByValues[slot];
            if (myValueKeys[entry] != cheap)
                continue;
            if (myCollisionOf[entry] != EMPTY)
            {
                if (myCollidedValues[myCollisionOf[entry]] == someValues)
                    return entry;
                continue;
            }
            Values kept;
            GetHashedValues(someVertices[myValueIndices[entry]], kept);
            if (kept == someValues)
                return entry;
        }

        // Values not met before: their vertex is the first with an equal VertexHash, or a new one.
        const uint64_t hash = HashValues(someValues);
        size_t hashSlot = SlotOf(hash, myMask);
        while (myByHash[hashSlot] != EMPTY && myHashes[myByHash[hashSlot]] != hash)
            hashSlot = (hashSlot + 1) & myMask;
        uint32_t collision = EMPTY;
        if (myByHash[hashSlot] == EMPTY)
        {
            myByHash[hashSlot] = static_cast<uint32_t>(myHashes.size());
            myHashes.push_back(hash);
            myHashIndices.push_back(static_cast<uint32_t>(someVertices.size()));
            someVertices.push_back(aVertex);
        }
        else
        {
            // Other values with the hash of a kept vertex: they must be kept themselves to be recognised.
            collision = static_cast<uint32_t>(myCollidedValues.size());
            myCollidedValues.push_back(someValues);
        }
        const uint32_t entry = static_cast<uint32_t>(myValueKeys.size());
        myByValues[slot] = entry;
        myCollisionOf.push_back(collision);
        myValueKeys.push_back(cheap);
        myValueIndices.push_back(myHashIndices[myByHash[hashSlot]]);
        return entry;
    }
}
