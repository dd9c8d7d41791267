// LoadAnimation: the first take sampled frame by frame into bone, socket and event tracks.
#include "ImporterInternal.h"
#include "VelaFBXImporter.h"

#include <algorithm>
#include <filesystem>

namespace VelaFBX
{
    namespace
    {
        using namespace Vela::Fbx;

        // A damaged time span must not allocate without bound (about nine hours at 30 fps).
        constexpr int64_t MAX_FRAME_COUNT = 1000000;

        // someGlobals is scratch space for the bones' global transforms, kept across frames.
        void SampleFrame(const Scene& aScene, const Skeleton& aSkeleton, const std::vector<Bone>& someEvents,
                         const std::vector<Socket>& someSockets, Time aTime, std::vector<AMatrix>& someGlobals, AnimationFrame& aFrame)
        {
            aFrame.globalTransforms.reserve(aSkeleton.bones.size());
            aFrame.localTransforms.reserve(aSkeleton.bones.size());
            someGlobals.assign(aSkeleton.bones.size(), AMatrix());
            for (size_t b = 0; b < aSkeleton.bones.size(); ++b)
            {
                const Bone& bone = aSkeleton.bones[b];
                if (const Node* node = aScene.FindNodeByName(bone.nodeName))
                    someGlobals[b] = node->EvaluateGlobalTransform(aTime);
                // Relative to the parent bone, not the parent node: nulls between bones (an armature
                // above the root, a group between two joints) then stay in the chained skeleton pose.
                const bool hasParentBone = bone.parent >= 0 && static_cast<size_t>(bone.parent) < b;
                const AMatrix local = hasParentBone ? someGlobals[static_cast<size_t>(bone.parent)].Inverse() * someGlobals[b] : someGlobals[b];
                ConvertMatrix(local, aFrame.localTransforms[bone.name]);
                ConvertMatrix(someGlobals[b], aFrame.globalTransforms[bone.name]);
            }
            for (const Socket& socket : someSockets)
            {
                Matrix4x4f matrix;
                if (const Node* node = aScene.FindNodeByName(socket.nodeName))
                    ConvertMatrix(node->EvaluateGlobalTransform(aTime), matrix);
                aFrame.socketTransforms[socket.nodeName] = matrix;
            }
            for (const Bone& marker : someEvents)
            {
                const Node* node = aScene.FindNodeByName(marker.nodeName);
                if (!node)
                    continue;
                Matrix4x4f local;
                ConvertMatrix(node->EvaluateLocalTransform(aTime), local);
                // A marker is switched on by moving it off its rest position along any axis.
                const float sum = local[12] + local[13] + local[14];
                if (sum * sum > 0.0f)
                    aFrame.activeEvents[marker.nodeName] = true;
            }
        }

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

            std::vector<AMatrix> globals;
            for (int64_t frame = first; frame <= last; ++frame)
            {
                Time time;
                time.SetFrame(frame, mode, customRate);
                SampleFrame(aScene, aSkeleton, someEvents, someSockets, time, globals, aOut.frames[static_cast<size_t>(frame - first)]);
            }
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
