// LoadAnimation: the first take sampled frame by frame into bone, socket and event tracks.
#include "FrameSampler.h"
#include "ImporterInternal.h"
#include "Platform/fbx/FbxParallel.h"
#include "VelaFBXImporter.h"

#include <filesystem>

namespace VelaFBX
{
    namespace
    {
        using namespace Vela::Fbx;

        // A damaged time span must not allocate without bound (about nine hours at 30 fps).
        constexpr int64_t MAX_FRAME_COUNT = 1000000;
        constexpr size_t FRAMES_PER_RANGE = 4;
        // Below this many bone samples (later frames times bones, sockets and events) a clip is done
        // sooner on the calling thread than the workers take to start.
        constexpr size_t MIN_PARALLEL_SAMPLES = 2048;

        void SampleTake(const std::string& aPath, const Scene& aScene, const Skeleton& aSkeleton,
                        const std::vector<Bone>& someEvents, const std::vector<Socket>& someSockets, ImportedAnimation& aOut)
        {
            const AnimStack* stack = aScene.GetAnimStack(0);
            if (!stack)
                ThrowImportError("The file [" + aPath + "] has no animation stack!");

            const GlobalSettings& settings = aScene.GetGlobalSettings();
            TakeInfo fallback;
            fallback.localTimeSpan = settings.GetTimelineDefaultTimeSpan();
            const TakeInfo* take = aScene.GetTakeInfo(stack->GetName());
            if (!take)
                take = &fallback;

            const TimeMode mode = settings.GetTimeMode();
            const double customRate = settings.GetCustomFrameRate();
            const double frameRate = Time::GetFrameRate(mode, customRate);
            const Time start = take->localTimeSpan.GetStart();
            const Time stop = take->localTimeSpan.GetStop();
            const int64_t first = start.GetFrameCount(mode, customRate);
            const int64_t last = stop.GetFrameCount(mode, customRate);

            // A stop before the start is an empty clip, not a negative size.
            int64_t frameCount = 0;
            if (last >= first)
            {
                if (static_cast<double>(last) - static_cast<double>(first) + 1.0 > static_cast<double>(MAX_FRAME_COUNT))
                    ThrowImportError("The file [" + aPath + "] has a take of more than " + std::to_string(MAX_FRAME_COUNT) + " frames");
                frameCount = last - first + 1;
            }

            aOut.name = aPath;
            aOut.frameCount = frameCount;
            aOut.frameRate = static_cast<float>(frameRate);
            aOut.frames.resize(static_cast<size_t>(frameCount));
            aOut.duration = frameCount > 0 ? stop.GetSecondDouble() - start.GetSecondDouble() : 0.0;

            if (frameCount == 0)
                return;
            FrameSampler sampler(aScene, aSkeleton, someEvents, someSockets);
            auto frameTime = [&](size_t aFrame) {
                Time time;
                time.SetFrame(first + static_cast<int64_t>(aFrame), mode, customRate);
                return time;
            };
            sampler.SampleFirst(frameTime(0), aOut.frames[0]);
            if (frameCount == 1)
                return;
            sampler.PrepareCopies();
            auto sampleRange = [&](size_t aBegin, size_t aEnd) {
                FrameSampler::Scratch scratch;
                for (size_t frame = aBegin + 1; frame <= aEnd; ++frame)
                    sampler.Sample(frameTime(frame), aOut.frames[frame], scratch);
            };
            // Evaluation is worth spreading over threads, a few frames per range. Frames that only
            // copy the first one are allocation alone, which is cheapest on the calling thread: its
            // own heap, where the caller later frees them.
            const size_t laterFrames = static_cast<size_t>(frameCount) - 1;
            const size_t samples = laterFrames * (aSkeleton.bones.size() + someSockets.size() + someEvents.size());
            if (sampler.HasAnimation() && samples >= MIN_PARALLEL_SAMPLES)
                ParallelFor(laterFrames, FRAMES_PER_RANGE, sampleRange);
            else
                sampleRange(0, laterFrames);
        }
    }

    bool LoadAnimation(const std::string& aPath, ImportedAnimation& aOut)
    {
        ImporterState& state = GetImporterState();
        std::lock_guard lock(state.importMutex);

        ImportSession session(state);
        if (!session.Open(state, aPath, "Failed to create the FBX Importer! Error was: the library is not initialised (InitImporter was not called)."))
        {
            return false;
        }
        Importer& importer = *session.importer;
        Scene& scene = *session.scene;
        if (importer.Import(&scene, false))
        {
            state.targetAxisSystem.DeepConvertScene(&scene);

            Skeleton skeleton;
            std::vector<Bone> events;
            std::vector<Socket> sockets;
            const Node* root = scene.GetRootNode();
            if (!root || !GatherBones(root, skeleton, events, sockets, -1))
                ThrowImportError("The file [" + aPath + "] has no skeleton!");
            for (const Bone& marker : events)
                aOut.eventNames.push_back(marker.nodeName);
            if (importer.GetAnimStackCount() == 0)
                ThrowImportError("The file [" + aPath + "] has no animation stack!");
            SampleTake(aPath, scene, skeleton, events, sockets, aOut);
        }

        if (importer.GetStatus().Error())
            ThrowImportError("Failed to import the animation. " + importer.GetStatus().GetErrorString());
        return true;
    }
}
