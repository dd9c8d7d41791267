#pragma once
// An enemy's sight: a fan of rays in the play plane that see the player when they reach its hurt box
// before any of the enemy's sight occluders and the player is not hidden in grass. The Eyecorn's cone
// also owns the scanner plane, the visible beam drawn every frame.
#include "mire/graphics/ModelShader.h"
#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"
#include "mire/model/ModelInstance.h"

#include <cstdint>
#include <vector>

class Player;
struct GameContext;

struct SightRay
{
    float length = 0.0f;
    float startX = 0.0f;
    float startY = 0.0f;
    float cosine = 0.0f;
    float sine = 0.0f;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
};

class SightCone
{
public:
    static constexpr float GLOMP_CONE_ANGLE = 10.0f;
    static constexpr float GLOMP_EYE_HEIGHT = 50.0f;
    // A full turn at the finest step a level could ask for; more rays would see nothing new.
    static constexpr int32_t MAX_RAY_COUNT = 361;
    static constexpr const char* PLANE_MODEL = "visual effects\\models\\SM_ScannerPlane.fbx";
    static constexpr const char* PLANE_VERTEX_SHADER = "shaders/SH_ScannerPlane_VS";
    static constexpr const char* PLANE_PIXEL_SHADER = "shaders/SH_ScannerPlane_PS";

    SightCone(GameContext* aContext, float aStep);
    SightCone(const SightCone&) = delete;
    SightCone& operator=(const SightCone&) = delete;

    void InitForGlomp(const Vela::Matrix4x4<float>& aTransform, bool aFacesLeft, float aLength);
    void InitForEyecorn(const Vela::Matrix4x4<float>& aTransform, float aSightAngle, float aSightDistance);
    bool TestGlomp(Player& aPlayer, const Vela::Matrix4x4<float>& aTransform, int32_t anOccluderSet);
    bool TestEyecorn(Player& aPlayer, const Vela::Matrix4x4<float>& aTransform, int32_t anOccluderSet, float aDetection);
    void UpdateGlompFacing(const Vela::Matrix4x4<float>& aTransform, bool aFacesLeft);
    void UpdateScannerTransform(const Vela::Matrix4x4<float>& aTransform, float aSweepAngle);
    void RenderScannerPlane();

    bool IsAlert() const { return myCurrentColour == myAlertColour; }

    float myLength = 0.0f;
    float myConeAngle = GLOMP_CONE_ANGLE;
    float myStep = 2.0f;
    float myFacingAngle = 0.0f; // the Glomp's: 0 right, 180 left
    float myCentreAngle = 0.0f; // the Eyecorn's sweep, 0 straight down
    float myDetection = 0.0f;
    int32_t myRayCount = 0;
    Vela::Vector3<float> myOrigin;
    Vela::Vector4<float> myNormalColour{ 1.0f, 1.0f, 0.0f, 1.0f };
    Vela::Vector4<float> myAlertColour{ 1.0f, 0.0f, 0.0f, 1.0f };
    Vela::Vector4<float> myCurrentColour{ 1.0f, 1.0f, 0.0f, 1.0f };
    std::vector<SightRay> someRays;
    GameContext* myContext = nullptr;
    // The Eyecorn's scanner beam; a Glomp's cone leaves it without a model.
    Vela::ModelInstance myPlane;
    Vela::ModelShader myPlaneShader;

private:
    // Ray count from the fan's angle, with the ray list sized to match.
    void SizeRays();
    // Writes ray anIndex from aStart at anAngle degrees and asks whether it sees the player.
    bool CastRay(size_t anIndex, Vela::Vector2<float> aStart, float anAngle, Player& aPlayer, int32_t anOccluderSet);
    // Rows 1 and 3 of the plane's transform scaled by aScale, row 2 flattened to zero.
    void FlattenPlane(float aScale);
};
