#pragma once
// Animation curves, curve nodes, layers and stacks.
#include "Platform/fbx/FbxObject.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Vela::Fbx
{
    // ---- Animation ---------------------------------------------------------------------------

    enum class Interpolation { Constant, Linear, Cubic };

    class AnimCurve : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::AnimCurve;
        AnimCurve() : Object(CLASS) {}

        int KeyGetCount() const { return static_cast<int>(myKeys.size()); }
        Time KeyGetTime(int aIndex) const;             // 0 when out of range
        double KeyGetValue(int aIndex) const;          // 0 when out of range
        Interpolation KeyGetInterpolation(int aIndex) const;
        double GetDefaultValue() const { return myDefault; }
        // Value at a time: between keys by the left key's interpolation (constant: left value, or the
        // right one for "constant next"; linear; cubic: Bezier from the stored slopes and weights);
        // before the first key and after the last by the curve's pre- and post-extrapolation.
        // "Default" when there are no keys.
        double Evaluate(Time aTime) const;

        // How a curve goes on outside its keys ("Pre-Extrapolation", "Post-Extrapolation": "Type" C, R, M
        // or K, "Repetition"): holding the end key, repeating the keyed span, repeating it mirrored
        // back and forth, or carrying on along the end key's slope. A repetition count of 0 or less
        // repeats without end; after a limited count the value of the last repetition's end holds.
        enum class Extrapolation { Constant, Repetition, MirrorRepetition, KeepSlope };
        struct ExtrapolationMode
        {
            Extrapolation type = Extrapolation::Constant;
            int64_t repetitions = 0;
        };
        const ExtrapolationMode& GetPreExtrapolation() const { return myPreExtrapolation; }
        const ExtrapolationMode& GetPostExtrapolation() const { return myPostExtrapolation; }

        struct Key
        {
            int64_t time = 0;
            double value = 0.0;
            Interpolation interpolation = Interpolation::Cubic;
            bool constantNext = false;
            double rightSlope = 0.0, nextLeftSlope = 0.0;        // value per second
            double rightWeight = 1.0 / 3.0, nextLeftWeight = 1.0 / 3.0;
        };
        const std::vector<Key>& GetKeys() const { return myKeys; }

    private:
        friend class SceneBuilder;
        friend class Scene;
        std::vector<Key> myKeys;  // sorted by time
        double myDefault = 0.0;
        ExtrapolationMode myPreExtrapolation;
        ExtrapolationMode myPostExtrapolation;

        double EvaluateInside(int64_t aTime) const;       // aTime within the keyed span
        double Extrapolate(int64_t aTime, bool aBefore) const;
        double EndSlope(bool aBefore) const;              // value per second at the first or last key
    };

    // Animates one property (e.g. "Lcl Translation"); channels "d|X", "d|Y", "d|Z" (or one, "d|...").
    class AnimCurveNode : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::AnimCurveNode;
        AnimCurveNode() : Object(CLASS) {}
        int GetChannelsCount() const { return static_cast<int>(myChannels.size()); }
        const std::string& GetChannelName(int aChannel) const;  // "" when out of range
        const AnimCurve* GetCurve(int aChannel) const;          // null when the channel has no curve
        double GetChannelValue(int aChannel) const;             // the channel's static value ("d|X")
        const Object* GetTargetObject() const { return myTarget; }  // the animated object, or null
        const std::string& GetTargetProperty() const { return myTargetProperty; }

    private:
        friend class SceneBuilder;
        friend class Scene;
        struct Channel
        {
            std::string name;
            double value = 0.0;
            const AnimCurve* curve = nullptr;
        };
        std::vector<Channel> myChannels;
        const Object* myTarget = nullptr;
        std::string myTargetProperty;
    };

    class AnimLayer : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::AnimLayer;
        AnimLayer() : Object(CLASS) {}
        int GetCurveNodeCount() const { return static_cast<int>(myCurveNodes.size()); }
        const AnimCurveNode* GetCurveNode(int aIndex) const;
        // The curve node animating aProperty of aObject in this layer, or null.
        const AnimCurveNode* FindCurveNode(const Object* aObject, std::string_view aProperty) const;

    private:
        friend class SceneBuilder;
        std::vector<const AnimCurveNode*> myCurveNodes;
        std::unordered_map<const Object*, std::vector<const AnimCurveNode*>> myByTarget;
    };

    class AnimStack : public Object
    {
    public:
        static constexpr ObjectClass CLASS = ObjectClass::AnimStack;
        AnimStack() : Object(CLASS) {}
        int GetLayerCount() const { return static_cast<int>(myLayers.size()); }
        const AnimLayer* GetLayer(int aIndex = 0) const;  // layer 0 is the base layer
        bool HasLocalTimeSpan() const { return myHasLocalSpan; }  // "LocalStart"/"LocalStop" present
        TimeSpan GetLocalTimeSpan() const { return myLocalSpan; }

    private:
        friend class SceneBuilder;
        std::vector<const AnimLayer*> myLayers;
        bool myHasLocalSpan = false;
        TimeSpan myLocalSpan;
    };
}
