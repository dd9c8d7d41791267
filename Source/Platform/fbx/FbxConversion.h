#pragma once
// Scene settings: units, axis systems, time mode, and the conversions between them.
#include "Platform/fbx/FbxObject.h"

namespace Vela::Fbx
{
    // ---- Settings and conversions ------------------------------------------------------------

    // Options of a unit conversion, in the order the import passes them. Only the cluster option
    // changes anything here (cluster matrices are scaled when it is on).
    struct UnitConversionOptions
    {
        bool convertScaleInheritanceNodes = false;
        bool convertLimits = true;
        bool convertClusters = true;
        bool convertLightIntensity = true;
        bool convertPhotometricProperties = true;
        bool convertCameraClipPlanes = true;
    };

    // A length unit, as centimetres per unit ("UnitScaleFactor": 1 = cm, 100 = m).
    class SystemUnit
    {
    public:
        using ConversionOptions = UnitConversionOptions;
        static const SystemUnit CENTIMETRE;
        static const SystemUnit METRE;

        explicit SystemUnit(double aCentimetresPerUnit = 1.0) : myScale(aCentimetresPerUnit) {}
        double GetScaleFactor() const { return myScale; }
        bool operator==(const SystemUnit& aOther) const;  // equal within 1e-9 relative
        bool operator!=(const SystemUnit& aOther) const { return !(*this == aOther); }
        // Converts the scene into this unit: every translation-like quantity (node translations,
        // offsets, pivots, geometric translations, translation curves, cluster matrix translations)
        // is multiplied by scene unit / this unit; control points are left as they are. The scene's
        // system unit is this one afterwards.
        void ConvertScene(Scene* aScene, const UnitConversionOptions& aOptions = UnitConversionOptions()) const;

    private:
        double myScale;
    };

    // An axis system: which file axis is up, which is front (towards the viewer), which is the
    // remaining "coord" axis, each with a sign (0 = X, 1 = Y, 2 = Z).
    class AxisSystem
    {
    public:
        // Numbered as the import expects (DirectX = 5).
        enum class Preset { MayaZUp = 0, MayaYUp = 1, Max = 2, MotionBuilder = 3, OpenGL = 4, DirectX = 5, Lightwave = 6 };

        AxisSystem();  // Y up, right-handed (OpenGL / Maya Y-up)
        explicit AxisSystem(Preset aPreset);
        AxisSystem(int aUpAxis, int aUpSign, int aFrontAxis, int aFrontSign, int aCoordAxis, int aCoordSign);

        int GetUpAxis(int& aSign) const { aSign = myUpSign; return myUpAxis; }
        int GetFrontAxis(int& aSign) const { aSign = myFrontSign; return myFrontAxis; }
        int GetCoordAxis(int& aSign) const { aSign = myCoordSign; return myCoordAxis; }
        bool IsRightHanded() const;
        bool operator==(const AxisSystem& aOther) const = default;

        // The change of basis from aFrom to this system: file vector v becomes M.MultR(v).
        // Up goes to up, front to front, coord to coord; a change of handedness mirrors.
        AMatrix GetConversionFrom(const AxisSystem& aFrom) const;
        // Converts the whole scene into this system, deep: node transforms (evaluated), animation,
        // cluster matrices, geometric transforms, and every mesh's control points, normals, tangents
        // and binormals, by the one change of basis above. When the change mirrors, every polygon's
        // corner order is reversed with its corner data, so faces keep winding the same way around
        // their normals. The scene's axis system is this one afterwards.
        void DeepConvertScene(Scene* aScene) const;

    private:
        int myUpAxis = 1, myUpSign = 1, myFrontAxis = 2, myFrontSign = 1, myCoordAxis = 0, myCoordSign = 1;
    };

    class GlobalSettings
    {
    public:
        const AxisSystem& GetAxisSystem() const { return myAxisSystem; }
        const SystemUnit& GetSystemUnit() const { return myUnit; }
        const SystemUnit& GetOriginalSystemUnit() const { return myOriginalUnit; }
        TimeMode GetTimeMode() const { return myTimeMode; }
        double GetCustomFrameRate() const { return myCustomFrameRate; }
        double GetFrameRate() const { return Time::GetFrameRate(myTimeMode, myCustomFrameRate); }
        TimeSpan GetTimelineDefaultTimeSpan() const { return myTimeSpan; }  // "TimeSpanStart"/"TimeSpanStop"

    private:
        friend class SceneBuilder;
        friend class Scene;
        friend class SystemUnit;
        friend class AxisSystem;
        AxisSystem myAxisSystem;
        SystemUnit myUnit;
        SystemUnit myOriginalUnit;
        TimeMode myTimeMode = TimeMode::Default;
        double myCustomFrameRate = 0.0;
        TimeSpan myTimeSpan;
    };
}
