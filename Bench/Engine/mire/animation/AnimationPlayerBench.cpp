#include "mire/animation/AnimationPlayer.h"
#include "mire/model/AnimatedModelInstance.h"
#include "mire/model/Skeleton.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{
    constexpr uint32_t JOINTS = 60;
    constexpr uint32_t INSTANCES = 100;

    // A chain of 60 joints and a one-second clip at 30 frames per second that bends it.
    std::shared_ptr<Vela::Model> MakeChainModel()
    {
        Vela::Skeleton skeleton;
        for (uint32_t j = 0; j < JOINTS; ++j)
        {
            Vela::Joint joint;
            joint.myParent = static_cast<int32_t>(j) - 1;
            if (j + 1 < JOINTS)
                joint.myChildren = { j + 1 };
            joint.myName = "joint" + std::to_string(j);
            joint.myInverseBindMatrix = Vela::Matrix4x4<float>::CreateTranslation({ 0.0f, -10.0f * static_cast<float>(j), 0.0f });
            skeleton.AddJoint(std::move(joint), Vela::JointTransform());
        }
        auto model = std::make_shared<Vela::Model>();
        model->SetSkeleton(skeleton);
        return model;
    }

    std::shared_ptr<Vela::Animation> MakeClip()
    {
        auto clip = std::make_shared<Vela::Animation>();
        clip->myFrameCount = 31;
        clip->myFramesPerSecond = 30.0f;
        clip->myDuration = 1.0f;
        clip->myFrames.resize(31);
        for (uint32_t f = 0; f < 31; ++f)
        {
            clip->myFrames[f].myJointCount = JOINTS;
            for (uint32_t j = 0; j < JOINTS; ++j)
            {
                const float angle = 0.02f * static_cast<float>(f);
                Vela::JointTransform& joint = clip->myFrames[f].myJoints[j];
                joint.myTranslation = { 0.0f, j == 0 ? 0.0f : 10.0f, 0.0f };
                joint.myRotation = Vela::Quaternion(std::cos(angle), 0.0f, 0.0f, std::sin(angle));
            }
        }
        return clip;
    }

    void UpdateAndSkin100Instances(benchmark::State& aState)
    {
        const std::shared_ptr<Vela::Model> model = MakeChainModel();
        const std::shared_ptr<Vela::Animation> clip = MakeClip();
        std::vector<Vela::AnimationPlayer> players(INSTANCES);
        std::vector<Vela::AnimatedModelInstance> instances(INSTANCES);
        for (uint32_t i = 0; i < INSTANCES; ++i)
        {
            players[i].SetAnimation(clip);
            players[i].SetLooping(true);
            players[i].SetTime(0.01f * static_cast<float>(i));
            players[i].SetState(Vela::AnimationPlayer::State::Playing);
            instances[i].Init(model);
        }
        for (auto _ : aState)
        {
            for (uint32_t i = 0; i < INSTANCES; ++i)
            {
                players[i].Update(1.0f / 60.0f);
                instances[i].Update(players[i]);
            }
            benchmark::DoNotOptimize(instances.back().GetBoneMatrices()[JOINTS - 1]);
        }
        // A rate per second of thousandths: instances per millisecond.
        aState.counters["instances_per_ms"] = benchmark::Counter(static_cast<double>(aState.iterations() * INSTANCES) / 1000.0, benchmark::Counter::kIsRate);
    }
    BENCHMARK(UpdateAndSkin100Instances);

    void SampleOnly100Players(benchmark::State& aState)
    {
        const std::shared_ptr<Vela::Animation> clip = MakeClip();
        std::vector<Vela::AnimationPlayer> players(INSTANCES);
        for (uint32_t i = 0; i < INSTANCES; ++i)
        {
            players[i].SetAnimation(clip);
            players[i].SetLooping(true);
            players[i].SetState(Vela::AnimationPlayer::State::Playing);
        }
        for (auto _ : aState)
        {
            for (Vela::AnimationPlayer& player : players)
                player.Update(1.0f / 60.0f);
            benchmark::DoNotOptimize(players.back().GetPose().myJoints[JOINTS - 1]);
        }
        aState.counters["instances_per_ms"] = benchmark::Counter(static_cast<double>(aState.iterations() * INSTANCES) / 1000.0, benchmark::Counter::kIsRate);
    }
    BENCHMARK(SampleOnly100Players);
}
