// A skinned fixture drawn headless through the engine's animated model shader.
#include "../graphics/RendererTestSupport.h"

#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/Camera.h"
#include "mire/model/ModelFactory.h"

using VelaTest::RENDER_HEIGHT;
using VelaTest::RENDER_WIDTH;

namespace
{
    class SkinnedRenderTest : public VelaTest::RendererTest
    {
    protected:
        void SetUp() override
        {
            VelaTest::RendererTest::SetUp();
            Vela::ModelFactory::SetServices(Vela::GetEngineModelFactoryServices());
            // The fixtures live outside the asset roots: a copy in the game root.
            std::filesystem::create_directories(myGameRoot.Path() / "models");
            std::filesystem::copy_file(VelaTest::FixturePath("fbx/maya_game_sausage_7500_binary_wiggle.fbx"),
                                       myGameRoot.Path() / "models/sausage.fbx");
        }

        void TearDown() override
        {
            // Models go before the device, as at engine shutdown.
            Vela::ModelFactory::DestroyInstance();
            VelaTest::RendererTest::TearDown();
        }

        std::vector<uint8_t> DrawAt(Vela::AnimatedModelInstance& anInstance, Vela::AnimationPlayer& aPlayer, float aTime)
        {
            aPlayer.SetTime(aTime);
            aPlayer.SamplePose();
            anInstance.Update(aPlayer);

            BeginFrame();
            Vela::Camera camera;
            camera.SetPerspectiveProjection(90.0f, { float(RENDER_WIDTH), float(RENDER_HEIGHT) }, 0.1f, 100.0f);
            States().Push();
            States().SetCamera(camera);
            Graphics().GetModelDrawer()->Draw(anInstance);
            States().Pop();
            return ReadBackBuffer();
        }

        static size_t LitPixels(const std::vector<uint8_t>& somePixels)
        {
            size_t lit = 0;
            for (uint32_t row = 0; row < RENDER_HEIGHT; ++row)
                for (uint32_t column = 0; column < RENDER_WIDTH; ++column)
                {
                    const VelaTest::Rgba pixel = PixelAt(somePixels, column, row);
                    lit += pixel[0] + pixel[1] + pixel[2] > 0;
                }
            return lit;
        }
    };
}

TEST_F(SkinnedRenderTest, TheSkinnedMeshChangesOnScreenBetweenTwoFramesOfItsClip)
{
    Vela::ModelFactory& factory = Vela::ModelFactory::GetInstance();
    std::shared_ptr<Vela::Model> model = factory.GetModel("models/sausage.fbx");
    ASSERT_TRUE(model);
    ASSERT_TRUE(model->GetMeshes()[0].myVertexBuffer);
    Vela::AnimatedModelInstance instance = factory.GetAnimatedModelInstance("models/sausage.fbx");
    ASSERT_TRUE(instance.GetModel());
    Vela::AnimationPlayer player = factory.GetAnimationPlayer("models/sausage.fbx", model);
    ASSERT_TRUE(player.GetAnimation());
    player.SetInterpolating(false);

    // Centred in front of the camera, a few of its sizes away.
    const Vela::MeshBounds& bounds = model->GetMeshes()[0].myBounds;
    instance.SetTransform(Vela::Matrix4x4<float>::CreateTranslation(
        { -bounds.myCentre.x, -bounds.myCentre.y, 4.0f * bounds.myRadius - bounds.myCentre.z }));

    const float frameLength = 1.0f / player.GetFramesPerSecond();
    const std::vector<uint8_t> first = DrawAt(instance, player, 0.5f * frameLength);
    const std::vector<uint8_t> later = DrawAt(instance, player, (static_cast<float>(player.GetAnimation()->myFrameCount / 2) + 0.5f) * frameLength);
    ASSERT_EQ(first.size(), later.size());
    EXPECT_GT(LitPixels(first), 100u);
    EXPECT_GT(LitPixels(later), 100u);

    size_t changed = 0;
    for (size_t i = 0; i < first.size(); ++i)
        changed += first[i] != later[i];
    EXPECT_GT(changed, 100u);

    // The same frame twice draws the same picture.
    const std::vector<uint8_t> again = DrawAt(instance, player, 0.5f * frameLength);
    EXPECT_EQ(again, first);
}
