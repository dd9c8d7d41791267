#include "ImporterInternal.h"
#include "VelaFBXImporter.h"

#include "Platform/fbx/FbxParallel.h"

#include <filesystem>
#include <malloc.h>
#include <stdexcept>

namespace VelaFBX
{
    ImporterState& GetImporterState()
    {
        static ImporterState state;
        return state;
    }

    void ThrowImportError(const std::string& aMessage)
    {
        // A plain error: there is no exception in flight to nest, and callers read only the message.
        throw std::runtime_error(aMessage);
    }

    namespace
    {
        // glibc's own ceiling for its sliding mmap threshold on 64-bit systems.
        constexpr int MMAP_THRESHOLD_CEILING = 32 * 1024 * 1024;

        // The thresholds glibc slides to after its first large free, set from the start: below them a
        // freed block stays with the heap for the next import instead of being handed to the system
        // and faulted in again, page by page, on every large import.
        void UseSettledHeapThresholds()
        {
            mallopt(M_MMAP_THRESHOLD, MMAP_THRESHOLD_CEILING);
            mallopt(M_TRIM_THRESHOLD, 2 * MMAP_THRESHOLD_CEILING);
        }
    }

    void InitImporter()
    {
        ImporterState& state = GetImporterState();
        std::lock_guard lock(state.importMutex);
        if (state.manager)
            return;
        UseSettledHeapThresholds();
        state.manager = Vela::Fbx::Manager::Create();
        state.ioSettings = Vela::Fbx::IoSettings::Create(state.manager, "VELA");
        // Textures are loaded by the engine from their own files, never from the FBX.
        state.ioSettings->SetBoolProp("Import|AdvOptGrp|FileFormat|Fbx|Texture", false);
        state.ioSettings->SetBoolProp("Import|AdvOptGrp|FileFormat|Fbx|ExtractEmbeddedData", false);
        state.importer = Vela::Fbx::Importer::Create(state.manager, "");
        state.geometryConverter = new Vela::Fbx::GeometryConverter(state.manager);
        state.targetAxisSystem = Vela::Fbx::AxisSystem(Vela::Fbx::AxisSystem::Preset::DirectX);
    }

    void UninitImporter()
    {
        ImporterState& state = GetImporterState();
        std::lock_guard lock(state.importMutex);
        if (!state.manager)
            return;
        state.manager->Destroy();
        delete state.geometryConverter;
        state.manager = nullptr;
        state.ioSettings = nullptr;
        state.geometryConverter = nullptr;
        state.importer = nullptr;
        state.meshScratch = MeshScratch();
        // The workers' stacks, and the pages every import freed (in the workers' heaps too), go back
        // to the system: the process holds what it held before the first import. Heap tops are kept
        // up to the trim threshold, which glibc raises after large frees: it is lowered while the
        // workers end (each frees a large block, trimming its heap) and then set to the ceiling the
        // raising would reach anyway, with the matching mmap threshold.
        mallopt(M_TRIM_THRESHOLD, 0);
        Vela::Fbx::StopParallelWorkers();
        malloc_trim(0);
        UseSettledHeapThresholds();
    }

    size_t MeshScratch::HeldBytes() const
    {
        return latestCorners.capacity() * sizeof(LatestCorner) + candidates.capacity() * sizeof(Candidate) +
               candidateHashes.capacity() * sizeof(uint64_t) + candidateIndices.capacity() * sizeof(uint32_t) +
               keptCandidates.capacity() * sizeof(uint32_t) + deduplicator.HeldBytes();
    }

    bool MeshScratch::Trim()
    {
        if (HeldBytes() <= KEPT_BYTES)
            return false;
        *this = MeshScratch();
        return true;
    }

    std::string GetLastError()
    {
        ImporterState& state = GetImporterState();
        std::lock_guard lock(state.importMutex);
        return state.lastError;
    }

    ImportSession::ImportSession(ImporterState& aState)
    {
        importer = Vela::Fbx::Importer::Create(aState.manager, "");
    }

    bool ImportSession::Open(ImporterState& aState, const std::string& aPath, const char* aNoImporterError)
    {
        // A missing file is told apart only once something failed: a file system look-up costs as
        // much as reading a small file.
        const auto fail = [&](std::string aError) {
            aState.lastError = std::filesystem::exists(aPath) ? std::move(aError) : "FBX File not found! (" + aPath + ")";
            return false;
        };
        if (!aState.manager || !importer)
            return fail(aNoImporterError);
        if (!importer->Initialize(aPath, -1, aState.ioSettings) || !importer->IsFBX())
            return fail("Failed to initialize the FBX Importer! Error was: " + importer->GetStatus().GetErrorString() + ".");
        scene = Vela::Fbx::Scene::Create(aState.manager, "The Scene");
        return true;
    }

    ImportSession::~ImportSession()
    {
        if (scene)
            scene->Destroy();
        if (importer)
            importer->Destroy();
    }

    Skeleton::Skeleton()
    {
        sockets.max_load_factor(1.0f);
        sockets.rehash(8);
        boneIndices.max_load_factor(1.0f);
        boneIndices.rehash(8);
    }

    void ConvertMatrix(const Vela::Fbx::AMatrix& aMatrix, Matrix4x4f& aOut)
    {
        // The stored doubles, row by row, narrowed element by element.
        const double* values = aMatrix.GetData();
        for (size_t i = 0; i < 16; ++i)
            aOut[i] = static_cast<float>(values[i]);
    }

    std::string StripNamespace(const std::string& aNodeName)
    {
        const size_t colon = aNodeName.rfind(':');
        return colon == std::string::npos ? aNodeName : aNodeName.substr(colon + 1);
    }

    BoundingBox CombineBounds(const BoundingBox& aFirst, const BoundingBox& aSecond)
    {
        BoundingBox result;
        for (int axis = 0; axis < 3; ++axis)
        {
            const float firstMin = aFirst.centre[axis] - aFirst.halfExtents[axis];
            const float firstMax = aFirst.centre[axis] + aFirst.halfExtents[axis];
            const float secondMin = aSecond.centre[axis] - aSecond.halfExtents[axis];
            const float secondMax = aSecond.centre[axis] + aSecond.halfExtents[axis];
            const float minimum = std::min(std::min(firstMin, firstMax), std::min(secondMin, secondMax));
            const float maximum = std::max(std::max(firstMin, firstMax), std::max(secondMin, secondMax));
            result.halfExtents[axis] = (maximum - minimum) * 0.5f;
            result.centre[axis] = (maximum + minimum) * 0.5f;
        }
        result.largestHalfExtent = std::max(result.halfExtents[0], std::max(result.halfExtents[1], result.halfExtents[2]));
        return result;
    }

    MinMaxBox MakeMinMaxBox(const float aCentre[3], const float aHalfExtents[3])
    {
        MinMaxBox box;
        for (int axis = 0; axis < 3; ++axis)
        {
            box.minimum[axis] = aCentre[axis] - aHalfExtents[axis];
            box.maximum[axis] = aCentre[axis] + aHalfExtents[axis];
        }
        box.valid = 1;
        return box;
    }
}
