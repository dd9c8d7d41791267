// The world pass: the view frustum's planes against a hand calculation, models outside it not drawn,
// transparent meshes blended from far to near, nothing drawn without a back buffer.
#include "SpineFixtures.h"

#include "../../Engine/mire/loaders/DdsBuilder.h"

#include "Levels/LevelData.h"
#include "Spine/Game.h"

#include "Support/GameTestSupport.h"

#include "mire/graphics/DX11.h"
#include "mire/texture/TextureManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>

using namespace VelaTest;

namespace
{
    constexpr float TOLERANCE = 1e-4f;

    void ExpectPlane(const Vela::Plane& aPlane, Vela::Vector3<float> aNormal, float aD, const char* aName)
    {
        EXPECT_NEAR(aPlane.normal.x, aNormal.x, TOLERANCE) << aName;
        EXPECT_NEAR(aPlane.normal.y, aNormal.y, TOLERANCE) << aName;
        EXPECT_NEAR(aPlane.normal.z, aNormal.z, TOLERANCE) << aName;
        // The far distance is read back from the projection, which keeps it to about four digits.
        EXPECT_NEAR(aPlane.d, aD, 1e-2f + 1e-4f * std::fabs(aD)) << aName;
    }

    class WorldPassTest : public testing::Test
    {
    protected:
        Game& TheGame() { return myGame->GetGame(); }
        LevelData& Level() { return *TheGame().GetLevelLoader().GetCurrentLevel(); }

        // One frame of drawing only, seen from (0, 0, -1000) looking along +z; answers the draw calls it made.
        uint32_t RenderFromFront()
        {
            EXPECT_TRUE(Vela::Engine::GetInstance()->BeginFrame());
            TheGame().GetCameraController().GetPerspectiveCamera().SetTransform(
                Vela::Matrix4x4<float>::CreateTranslation({ 0.0f, 0.0f, -1000.0f }));
            const uint32_t before = Vela::DX11::DrawCallCount;
            TheGame().Render();
            return Vela::DX11::DrawCallCount - before;
        }

        void StartOn(const std::vector<FixtureObject>& someObjects)
        {
            WriteLevel0(myRoot.Path(), someObjects);
            myGame = std::make_unique<HeadlessGame>(myRoot.Path());
            ASSERT_TRUE(myGame->IsStarted());
        }

        TempDirectory myRoot;
        std::unique_ptr<HeadlessGame> myGame;
    };
}

TEST_F(WorldPassTest, FrustumPlanesMatchTheCameraGeometry)
{
    StartOn({});
    // Horizontal fov 90 on a 16:9 window: at distance z the view spans x in [-z, z] and y in [-0.5625 z, 0.5625 z].
    Vela::Camera camera;
    camera.SetPerspectiveProjection(90.0f, { 320.0f, 180.0f }, 0.5f, 5000.0f);
    const Frustum frustum = TheGame().BuildViewFrustum(camera);
    const float slope = 1.0f / std::sqrt(1.0f + 0.5625f * 0.5625f);
    ExpectPlane(frustum[0], { 0.0f, slope, 0.5625f * slope }, 0.0f, "bottom");
    ExpectPlane(frustum[1], { 0.0f, -slope, 0.5625f * slope }, 0.0f, "top");
    ExpectPlane(frustum[2], { std::sqrt(0.5f), 0.0f, std::sqrt(0.5f) }, 0.0f, "left");
    ExpectPlane(frustum[3], { -std::sqrt(0.5f), 0.0f, std::sqrt(0.5f) }, 0.0f, "right");
    ExpectPlane(frustum[4], { 0.0f, 0.0f, -1.0f }, 5000.0f, "far");
    ExpectPlane(frustum[5], { 0.0f, 0.0f, 1.0f }, -0.5f, "near");

    // Moved, the planes move with the camera.
    camera.SetTransform(Vela::Matrix4x4<float>::CreateTranslation({ 100.0f, 0.0f, 0.0f }));
    const Frustum moved = TheGame().BuildViewFrustum(camera);
    EXPECT_NEAR(moved[2].DistanceTo({ 100.0f, 0.0f, 10.0f }), 10.0f * std::sqrt(0.5f), 1e-3f);
    EXPECT_NEAR(moved[5].DistanceTo({ 100.0f, 0.0f, 0.0f }), -0.5f, 1e-3f);
}

TEST_F(WorldPassTest, ModelsOutsideTheViewAreNotDrawn)
{
    StartOn({ LevelCube({ 0.0f, 0.0f, 0.0f }), LevelCube({ 0.0f, 0.0f, -3000.0f }), LevelCube({ 100000.0f, 0.0f, 0.0f }) });
    ASSERT_EQ(Level().opaqueMeshes.size(), 3u);
    ASSERT_NE(Level().opaqueMeshes[0].model.GetModel(), nullptr);
    const uint32_t meshesPerCube = uint32_t(Level().opaqueMeshes[0].model.GetModel()->GetMeshes().size());

    const uint32_t withTwoOutside = RenderFromFront();
    // The scene's file order is not the list's: place all three side by side in view.
    for (size_t i = 0; i < 3; ++i)
    {
        Level().opaqueMeshes[i].model.GetTransform().SetTranslation({ -300.0f + 300.0f * float(i), 0.0f, 0.0f });
    }
    const uint32_t withAllInside = RenderFromFront();
    EXPECT_EQ(withAllInside - withTwoOutside, 2 * meshesPerCube);
}

TEST_F(WorldPassTest, NothingIsDrawnWhileAFailedResizeLeftNoBackBuffer)
{
    StartOn({ LevelCube({ 0.0f, 0.0f, 0.0f }) });
    EXPECT_GT(RenderFromFront(), 0u) << "the cube in view is drawn";

    // What a failed resize leaves until it is tried again.
    Vela::RenderTarget* const backBuffer = std::exchange(Vela::DX11::BackBuffer, nullptr);
    Vela::DepthBuffer* const depth = std::exchange(Vela::DX11::BackBufferDepth, nullptr);
    const uint32_t before = Vela::DX11::DrawCallCount;
    TheGame().Render();
    const uint32_t drawnWithout = Vela::DX11::DrawCallCount - before;
    Vela::DX11::BackBuffer = backBuffer;
    Vela::DX11::BackBufferDepth = depth;
    EXPECT_EQ(drawnWithout, 0u);
    EXPECT_GT(RenderFromFront(), 0u) << "drawn again once the back buffer is back";
}

TEST_F(WorldPassTest, TransparentMeshesAreBlendedFarToNear)
{
    // Half-transparent red in front of half-transparent blue: drawn far first, both show; drawn near first,
    // the depth test drops the blue behind.
    for (const auto& [name, red, blue] : { std::tuple{ "Textures/half_red.dds", 255, 0 }, std::tuple{ "Textures/half_blue.dds", 0, 255 } })
    {
        DdsDescription description;
        description.width = 2;
        description.height = 2;
        description.dxgiFormat = 28;
        std::vector<uint8_t> file = MakeDdsHeader(description);
        for (int i = 0; i < 4; ++i)
            file.insert(file.end(), { uint8_t(red), 0, uint8_t(blue), 128 });
        myRoot.Write(name, std::string(file.begin(), file.end()));
    }
    StartOn({ LevelCube({ 0.0f, 0.0f, 400.0f }, true), LevelCube({ 0.0f, 0.0f, 0.0f }, true) });
    std::vector<StaticMeshRecord>& meshes = Level().transparentMeshes;
    ASSERT_EQ(meshes.size(), 2u);
    // Listed near last: drawing the list back to front without sorting would draw the near one first.
    if (meshes[0].position.z < meshes[1].position.z)
    {
        std::swap(meshes[0], meshes[1]);
    }
    Vela::TextureManager& textures = *Vela::Engine::GetInstance()->myTextureManager;
    meshes[0].model.SetTexture(0, 0, textures.GetTexture("Textures/half_blue.dds"));
    meshes[1].model.SetTexture(0, 0, textures.GetTexture("Textures/half_red.dds"));
    TheGame().GetStateStack().Clear();
    TheGame().GetStateStack().Push(StateId::Game);
    Vela::Engine::GetInstance()->myConfiguration.myClearColor = { 0.0f, 0.0f, 0.0f, 1.0f };

    RenderFromFront();
    uint32_t width = 0;
    uint32_t height = 0;
    const std::vector<uint8_t> pixels = ReadBackBufferRgba(width, height);
    ASSERT_EQ(pixels.size(), size_t(width) * height * 4);
    if (const char* directory = std::getenv("VELA_SCREENSHOT_DIR"))
    {
        WritePng(std::filesystem::path(directory) / "transparent_far_to_near.png", pixels, width, height);
    }
    const uint8_t* centre = &pixels[(size_t(height / 2) * width + width / 2) * 4];
    EXPECT_GT(centre[0], 60) << "the near red";
    EXPECT_GT(centre[2], 20) << "the far blue through it";
    EXPECT_LT(meshes[0].position.z, meshes[1].position.z) << "sorted near to far in place";
}
