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

        // Samples frame after frame. Nodes are found by name once; the first frame's bone maps are
        // built entry by entry and every later frame copies them (no hashing, no rehashing) and then
        // overwrites the values in the copy's own order.
        class FrameSampler
        {
        public:
            FrameSampler(const Scene& aScene, const Skeleton& aSkeleton, const std::vector<Bone>& someEvents, const std::vector<Socket>& someSockets)
                : mySkeleton(aSkeleton), myEvents(someEvents), mySockets(someSockets)
            {
                for (const Bone& bone : aSkeleton.bones)
                    myBoneNodes.push_back(aScene.FindNodeByName(bone.nodeName));
                for (const Socket& socket : someSockets)
                    mySocketNodes.push_back(aScene.FindNodeByName(socket.nodeName));
                for (const Bone& marker : someEvents)
                    myEventNodes.push_back(aScene.FindNodeByName(marker.nodeName));
                myGlobals.resize(aSkeleton.bones.size());
                myLocals.resize(aSkeleton.bones.size());
                myGlobalsFloat.resize(aSkeleton.bones.size());
            }

            void Sample(Time aTime, AnimationFrame& aFrame)
            {
                const size_t boneCount = mySkeleton.bones.size();
                for (size_t b = 0; b < boneCount; ++b)
                {
                    const Bone& bone = mySkeleton.bones[b];
                    myGlobals[b] = myBoneNodes[b] ? myBoneNodes[b]->EvaluateGlobalTransform(aTime) : AMatrix();
                    // Relative to the parent bone, not the parent node: nulls between bones (an armature
                    // above the root, a group between two joints) then stay in the chained skeleton pose.
                    const bool hasParentBone = bone.parent >= 0 && static_cast<size_t>(bone.parent) < b;
                    ConvertMatrix(hasParentBone ? myGlobals[static_cast<size_t>(bone.parent)].Inverse() * myGlobals[b] : myGlobals[b], myLocals[b]);
                    ConvertMatrix(myGlobals[b], myGlobalsFloat[b]);
                }
                if (!myFirst)
                {
                    aFrame.globalTransforms.reserve(boneCount);
                    aFrame.localTransforms.reserve(boneCount);
                    for (size_t b = 0; b < boneCount; ++b)
                    {
                        aFrame.localTransforms[mySkeleton.bones[b].name] = myLocals[b];
                        aFrame.globalTransforms[mySkeleton.bones[b].name] = myGlobalsFloat[b];
                    }
                    myFirst = &aFrame;
                }
                else
                {
                    aFrame.localTransforms = myFirst->localTransforms;
                    aFrame.globalTransforms = myFirst->globalTransforms;
                    Overwrite(aFrame.localTransforms, myLocals);
                    Overwrite(aFrame.globalTransforms, myGlobalsFloat);
                }

                for (size_t s = 0; s < mySockets.size(); ++s)
                {
                    Matrix4x4f matrix;
                    if (mySocketNodes[s])
                        ConvertMatrix(mySocketNodes[s]->EvaluateGlobalTransform(aTime), matrix);
                    aFrame.socketTransforms[mySockets[s].nodeName] = matrix;
                }
                for (size_t e = 0; e < myEvents.size(); ++e)
                {
                    if (!myEventNodes[e])
                        continue;
                    Matrix4x4f local;
                    ConvertMatrix(myEventNodes[e]->EvaluateLocalTransform(aTime), local);
                    // A marker is switched on by moving it off its rest position along any axis.
                    const float sum = local[12] + local[13] + local[14];
                    if (sum * sum > 0.0f)
                        aFrame.activeEvents[myEvents[e].nodeName] = true;
                }
            }

        private:
            using BoneMap = std::unordered_map<std::string, Matrix4x4f>;

            // A copied map lists its entries in its source's order; each entry's bone is looked up once.
            void Overwrite(BoneMap& someEntries, const std::vector<Matrix4x4f>& someValues)
            {
                std::vector<size_t>& order = &someValues == &myLocals ? myLocalOrder : myGlobalOrder;
                size_t k = 0;
                for (auto& [name, value] : someEntries)
                {
                    if (k == order.size() || mySkeleton.bones[order[k]].name != name)
                    {
                        order.resize(k);
                        order.push_back(mySkeleton.boneIndices.at(name));
                    }
                    value = someValues[order[k++]];
                }
            }

            const Skeleton& mySkeleton;
            const std::vector<Bone>& myEvents;
            const std::vector<Socket>& mySockets;
            std::vector<const Node*> myBoneNodes, mySocketNodes, myEventNodes;
            std::vector<AMatrix> myGlobals;
            std::vector<Matrix4x4f> myLocals, myGlobalsFloat;
            const AnimationFrame* myFirst = nullptr;
            std::vector<size_t> myLocalOrder, myGlobalOrder;  // bone of each entry, in map order
        };

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

            FrameSampler sampler(aScene, aSkeleton, someEvents, someSockets);
            for (int64_t frame = first; frame <= last; ++frame)
            {
                Time time;
                time.SetFrame(frame, mode, customRate);
                sampler.Sample(time, aOut.frames[static_cast<size_t>(frame - first)]);
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
