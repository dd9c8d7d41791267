#include "SightCone.h"

SightCone::SightCone(GameContext* aContext, float aStep)
    : myStep(aStep)
    , myContext(aContext)
{
}

void SightCone::InitForGlomp(const Vela::Matrix4x4<float>&, bool, float) {}

void SightCone::InitForEyecorn(const Vela::Matrix4x4<float>&, float, float) {}

bool SightCone::TestGlomp(Player&, const Vela::Matrix4x4<float>&, int32_t)
{
    return false;
}

bool SightCone::TestEyecorn(Player&, const Vela::Matrix4x4<float>&, int32_t, float)
{
    return false;
}

void SightCone::UpdateGlompFacing(const Vela::Matrix4x4<float>&, bool) {}

void SightCone::UpdateScannerTransform(const Vela::Matrix4x4<float>&, float) {}

void SightCone::RenderScannerPlane() {}
