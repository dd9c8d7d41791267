// The world pass of a frame, as its named passes in drawing order, and the view frustum it culls against.
#include "Spine/Game.h"

#include "Levels/LevelData.h"
#include "Player/Player.h"
#include "Screens/GameState.h"

#include "mire/core/Engine.h"
#include "mire/drawers/ModelDrawer.h"
#include "mire/drawers/SpriteDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/graphics/RenderStates.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
    // The union of the model's mesh bounds, in model space; false for an instance without a model.
    bool GetModelBounds(const Vela::ModelInstance& anInstance, AABB& aBoundsOut)
    {
        const std::shared_ptr<Vela::Model> model = anInstance.GetModel();
        if (!model || model->GetMeshes().empty())
        {
            return false;
        }
        constexpr float BIG = std::numeric_limits<float>::max();
        Vela::Vector3<float> low{ BIG, BIG, BIG };
        Vela::Vector3<float> high{ -BIG, -BIG, -BIG };
        for (const Vela::MeshData& mesh : model->GetMeshes())
        {
            const Vela::Vector3<float> meshLow = mesh.myBounds.myCentre - mesh.myBounds.myHalfExtents;
            const Vela::Vector3<float> meshHigh = mesh.myBounds.myCentre + mesh.myBounds.myHalfExtents;
            low = { std::min(low.x, meshLow.x), std::min(low.y, meshLow.y), std::min(low.z, meshLow.z) };
            high = { std::max(high.x, meshHigh.x), std::max(high.y, meshHigh.y), std::max(high.z, meshHigh.z) };
        }
        aBoundsOut = AABB((low + high) * 0.5f, (high - low) * 0.5f);
        return true;
    }

    bool IsOnFrustum(const Vela::ModelInstance& anInstance, const Frustum& aFrustum)
    {
        AABB bounds;
        return GetModelBounds(anInstance, bounds) && bounds.IsOnFrustum(aFrustum, anInstance.GetTransform());
    }

    void DrawRecord(Vela::ModelDrawer& aDrawer, ModelInstanceRecord& aRecord)
    {
        if (aRecord.hasOwnShader)
        {
            aDrawer.Draw(aRecord.model, aRecord.shader);
        }
        else
        {
            aDrawer.Draw(aRecord.model);
        }
    }

    template <typename Objects>
    void RenderVisible(Objects& someObjects, const Frustum& aFrustum)
    {
        for (auto& object : someObjects)
        {
            if (IsOnFrustum(object.GetModelInstance(), aFrustum))
            {
                object.Render();
            }
        }
    }
}

void Game::Render()
{
    // A failed resize leaves no back buffer until it is tried again: nothing to draw into.
    if (!Vela::GraphicsServices::SetBackBufferAsActiveTarget())
    {
        return;
    }
    Vela::GraphicsStateStack& states = *Vela::Engine::GetInstance()->myGraphicsEngine->GetGraphicsStateStack();
    const Vela::Camera& camera = myCameraController.GetPerspectiveCamera();
    states.SetCamera(camera);
    states.SetBlendState(Vela::BlendState_Disabled);
    states.SetRasterizerState(Vela::RasterizerState_Default);
    const Frustum frustum = BuildViewFrustum(camera);
    LevelData* level = myLevelLoader.GetCurrentLevel();

    RenderOpaquePass(level, frustum);
    if (level)
    {
        RenderGrassPass(*level, frustum);
    }
    Player* player = myContext.player;
    if (player && player->GetModelInstance().GetModel())
    {
        player->Render();
    }
    myStateStack.RenderAll(0);
    RenderTransparentPass(level, frustum);
    RenderOverlayPass();
    myStateStack.RenderAll(1);
}

void Game::RenderOpaquePass(LevelData* aLevel, const Frustum& aFrustum)
{
    Vela::ModelDrawer& modelDrawer = *Vela::Engine::GetInstance()->myGraphicsEngine->GetModelDrawer();
    RenderVisible(someGlomps, aFrustum);
    RenderVisible(someEyecorns, aFrustum);
    RenderVisible(someOrbs, aFrustum);
    RenderVisible(someSockets, aFrustum);
    for (BreakableFloor& floor : someFloors)
    {
        Vela::ModelInstance* shown = floor.GetShownModel();
        if (shown && IsOnFrustum(*shown, aFrustum))
        {
            modelDrawer.Draw(*shown);
        }
    }
    if (aLevel)
    {
        for (StaticMeshRecord& mesh : aLevel->opaqueMeshes)
        {
            if (IsOnFrustum(mesh.model, aFrustum))
            {
                DrawRecord(modelDrawer, mesh);
            }
        }
        for (RotatingStairRecord& stair : someStairs)
        {
            if (IsOnFrustum(stair.model, aFrustum))
            {
                modelDrawer.Draw(stair.model);
            }
        }
    }
    myCollisionManager.DrawDebug();
    if (aLevel)
    {
        RenderVisible(someMovableBoxes, aFrustum);
    }
}

void Game::RenderGrassPass(LevelData& aLevel, const Frustum& aFrustum)
{
    Vela::GraphicsEngine& graphics = *Vela::Engine::GetInstance()->myGraphicsEngine;
    Vela::GraphicsStateStack& states = *graphics.GetGraphicsStateStack();
    Vela::ModelDrawer& modelDrawer = *graphics.GetModelDrawer();
    const Player* player = myContext.player;
    states.Push();
    for (StaticMeshRecord& grass : aLevel.grassMeshes)
    {
        if (!IsOnFrustum(grass.model, aFrustum))
        {
            continue;
        }
        if (grass.hasOwnShader && player)
        {
            // The grass bends away from the player.
            const Vela::Vector3<float> position = player->GetPosition();
            states.SetCustomShaderParameters({ position.x, position.y, position.z, 0.0f });
        }
        DrawRecord(modelDrawer, grass);
    }
    states.Pop();
}

void Game::RenderTransparentPass(LevelData* aLevel, const Frustum& aFrustum)
{
    Vela::GraphicsEngine& graphics = *Vela::Engine::GetInstance()->myGraphicsEngine;
    // Blending stays on for the rest of the frame: the overlays and the screens' 2D pass blend too.
    graphics.GetGraphicsStateStack()->SetBlendState(Vela::BlendState_AlphaBlend);
    if (!aLevel)
    {
        return;
    }
    std::vector<StaticMeshRecord>& meshes = aLevel->transparentMeshes;
    std::sort(meshes.begin(), meshes.end(),
              [](const StaticMeshRecord& aFirst, const StaticMeshRecord& aSecond) { return aFirst.position.z < aSecond.position.z; });
    Vela::ModelDrawer& modelDrawer = *graphics.GetModelDrawer();
    // Farthest (largest z) first, so nearer glass blends over what lies behind it.
    for (auto mesh = meshes.rbegin(); mesh != meshes.rend(); ++mesh)
    {
        if (IsOnFrustum(mesh->model, aFrustum))
        {
            DrawRecord(modelDrawer, *mesh);
        }
    }
}

void Game::RenderOverlayPass()
{
    Vela::GraphicsEngine& graphics = *Vela::Engine::GetInstance()->myGraphicsEngine;
    Vela::GraphicsStateStack& states = *graphics.GetGraphicsStateStack();
    Vela::SpriteDrawer& spriteDrawer = *graphics.GetSpriteDrawer();
    for (Eyecorn& eyecorn : someEyecorns)
    {
        if (SightCone* cone = eyecorn.GetCone())
        {
            cone->RenderScannerPlane();
        }
    }
    for (Orb& orb : someOrbs)
    {
        states.Push();
        states.SetBlendState(Vela::BlendState_AlphaBlend);
        {
            Vela::SpriteBatchScope batch = spriteDrawer.BeginBatch(orb.GetSpriteData());
            batch.Draw(orb.GetSprite());
        }
        states.SetBlendState(Vela::BlendState_Disabled);
        states.Pop();
    }
    for (Socket& socket : someSockets)
    {
        socket.GetEffects().Render(spriteDrawer);
    }
}

Frustum Game::BuildViewFrustum(const Vela::Camera& aCamera) const
{
    const Vela::Matrix4x4<float>& transform = aCamera.GetTransform();
    const Vela::Matrix4x4<float>& projection = aCamera.GetProjection();
    const Vela::Vector3<float> right = transform.GetRow(1).GetXYZ();
    const Vela::Vector3<float> up = transform.GetRow(2).GetXYZ();
    const Vela::Vector3<float> forward = transform.GetRow(3).GetXYZ();
    const Vela::Vector3<float> position = transform.GetRow(4).GetXYZ();

    // Read back from the projection, so the frustum matches whatever projection the camera has.
    const float fov = 2.0f * std::atan(1.0f / projection(2, 2));
    const float nearPlane = -projection(4, 3) / projection(3, 3);
    const float farPlane = nearPlane * projection(3, 3) / (projection(3, 3) - 1.0f);
    const float halfHeight = farPlane * std::tan(fov * 0.5f);
    const float halfWidth = halfHeight * Vela::Engine::GetInstance()->GetWindowRatio();
    const Vela::Vector3<float> towardsFar = forward * farPlane;

    Frustum frustum;
    frustum[0] = Vela::Plane(position, (towardsFar - up * halfHeight).Cross(right));
    frustum[1] = Vela::Plane(position, right.Cross(towardsFar + up * halfHeight));
    frustum[2] = Vela::Plane(position, up.Cross(towardsFar - right * halfWidth));
    frustum[3] = Vela::Plane(position, (towardsFar + right * halfWidth).Cross(up));
    frustum[4] = Vela::Plane(position + towardsFar, -forward);
    frustum[5] = Vela::Plane(position + forward * nearPlane, forward);
    return frustum;
}
