#pragma once
// An enemy's sight: a fan of rays in the play plane. The Eyecorn's cone also owns the scanner plane,
// the visible beam drawn every frame.
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

    float myLength = 0.0f;
    float myConeAngle = 10.0f;
    float myStep = 2.0f;
    float myCentreAngle = 0.0f; // facing (Glomp) or sweep (Eyecorn), degrees
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
};
