#include "Enemies/SightCone.h"

#include "Player/Player.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "mire/core/Engine.h"
#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/math/MathFunctions.h"
#include "mire/model/ModelFactory.h"

#include <cmath>
#include <cstdio>

namespace
{
    constexpr float DEGREES_TO_RADIANS = 0.017453292f;
    // The Eyecorn's angles count from straight down.
    constexpr float EYECORN_DOWN = 90.0f;
    constexpr float PLANE_SET_UP_SCALE = 10.0f;
    constexpr float PLANE_SCALE_PER_LENGTH = 0.011f;
    constexpr float PLANE_LENGTH_DIVISOR = 1.45f;
    const Vela::Vector3<float> PLANE_SET_UP_ROTATION{ -90.0f, 0.0f, -90.0f };
}

SightCone::SightCone(GameContext* aContext, float aStep)
    : myStep(aStep)
    , myContext(aContext)
{
}

void SightCone::SizeRays()
{
    const float count = myStep > 0.0f ? std::trunc(myConeAngle / myStep) + 1.0f : 0.0f;
    if (!(count >= 0.0f && count <= static_cast<float>(MAX_RAY_COUNT)))
    {
        printf("Sight cone: angle %f with step %f gives no usable fan; limited\n", myConeAngle, myStep);
    }
    myRayCount = count > static_cast<float>(MAX_RAY_COUNT) ? MAX_RAY_COUNT : (count >= 0.0f ? static_cast<int32_t>(count) : 0);
    // A cone set up again with another angle must not cast past the end of the list.
    someRays.assign(static_cast<size_t>(myRayCount), SightRay{});
}

void SightCone::InitForGlomp(const Vela::Matrix4x4<float>& aTransform, bool aFacesLeft, float aLength)
{
    myLength = aLength;
    myFacingAngle = aFacesLeft ? 180.0f : 0.0f;
    myConeAngle = GLOMP_CONE_ANGLE;
    myCurrentColour = myNormalColour;
    myOrigin = aTransform.GetTranslation();
    SizeRays();
}

void SightCone::InitForEyecorn(const Vela::Matrix4x4<float>& aTransform, float aSightAngle, float aSightDistance)
{
    myLength = aSightDistance;
    myConeAngle = aSightAngle;
    myCurrentColour = myNormalColour;
    myDetection = 0.0f;
    myOrigin = aTransform.GetTranslation();
    SizeRays();

    myPlane = Vela::ModelFactory::GetInstance().GetModelInstance(PLANE_MODEL);
    myPlane.GetTransform().SetTranslation(aTransform.GetTranslation());
    Vela::RotationFromEulerDegrees(myPlane.GetTransform(), PLANE_SET_UP_ROTATION);
    FlattenPlane(PLANE_SET_UP_SCALE);
    myPlaneShader.Init(PLANE_VERTEX_SHADER, PLANE_PIXEL_SHADER);
}

bool SightCone::CastRay(size_t anIndex, Vela::Vector2<float> aStart, float anAngle, Player& aPlayer, int32_t anOccluderSet)
{
    const float radians = anAngle * DEGREES_TO_RADIANS;
    SightRay& ray = someRays[anIndex];
    ray.length = myLength;
    ray.startX = aStart.x;
    ray.startY = aStart.y;
    ray.cosine = std::cos(radians);
    ray.sine = std::sin(radians);
    ray.offsetX = myLength * ray.cosine;
    ray.offsetY = myLength * ray.sine;
    const bool reaches = myContext && myContext->collisionManager &&
                         myContext->collisionManager->SightRayHitsPlayer(aStart, { ray.offsetX, ray.offsetY }, aPlayer.GetHurtBox(), anOccluderSet);
    return reaches && !aPlayer.IsHidden();
}

bool SightCone::TestGlomp(Player& aPlayer, const Vela::Matrix4x4<float>& aTransform, int32_t anOccluderSet)
{
    myCurrentColour = myNormalColour;
    const Vela::Vector3<float> eye = aTransform.GetTranslation();
    const Vela::Vector2<float> start{ eye.x, eye.y + GLOMP_EYE_HEIGHT };
    for (size_t index = 0; index < someRays.size(); ++index)
    {
        const float angle = myFacingAngle - myConeAngle * 0.5f + static_cast<float>(index) * myStep;
        if (CastRay(index, start, angle, aPlayer, anOccluderSet))
        {
            myCurrentColour = myAlertColour;
            return true;
        }
    }
    return false;
}

bool SightCone::TestEyecorn(Player& aPlayer, const Vela::Matrix4x4<float>& aTransform, int32_t anOccluderSet, float aDetection)
{
    myCurrentColour = myNormalColour;
    myDetection = aDetection;
    const Vela::Vector3<float> eye = aTransform.GetTranslation();
    bool seen = false;
    for (size_t index = 0; index < someRays.size(); ++index)
    {
        const float angle = myCentreAngle - myConeAngle * 0.5f + static_cast<float>(index) * myStep - EYECORN_DOWN;
        seen = CastRay(index, { eye.x, eye.y }, angle, aPlayer, anOccluderSet) || seen;
    }
    // A running countdown keeps the beam alert even in frames where no ray reaches the player.
    if (seen || myDetection >= 0.0001f)
    {
        myCurrentColour = myAlertColour;
    }
    return seen;
}

void SightCone::UpdateGlompFacing(const Vela::Matrix4x4<float>& aTransform, bool aFacesLeft)
{
    myFacingAngle = aFacesLeft ? 180.0f : 0.0f;
    myOrigin = aTransform.GetTranslation();
}

void SightCone::UpdateScannerTransform(const Vela::Matrix4x4<float>& aTransform, float aSweepAngle)
{
    myCentreAngle = aSweepAngle;
    myOrigin = aTransform.GetTranslation();
    Vela::RotationFromEulerDegrees(myPlane.GetTransform(), { PLANE_SET_UP_ROTATION.x, 0.0f, aSweepAngle - EYECORN_DOWN });
    FlattenPlane(myLength * PLANE_SCALE_PER_LENGTH);
}

void SightCone::FlattenPlane(float aScale)
{
    Vela::Matrix4x4<float>& transform = myPlane.GetTransform();
    for (int column = 1; column <= 4; ++column)
    {
        transform(1, column) *= aScale;
        transform(2, column) = 0.0f;
        transform(3, column) *= aScale;
    }
}

void SightCone::RenderScannerPlane()
{
    if (!myPlane.GetModel())
    {
        return;
    }
    Vela::GraphicsEngine& graphics = *Vela::Engine::GetInstance()->myGraphicsEngine;
    Vela::GraphicsStateStack& states = *graphics.GetGraphicsStateStack();
    const float seen = myCurrentColour == myAlertColour ? 1.0f : 0.0f;
    states.Push();
    states.SetCustomShaderParameters({ myLength / PLANE_LENGTH_DIVISOR, seen, myDetection, 0.0f });
    graphics.GetModelDrawer()->Draw(myPlane, myPlaneShader);
    states.Pop();
}
