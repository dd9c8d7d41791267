// An imported model drawn through the real texture manager picks up the colour texture beside it.
#include "../graphics/RendererTestSupport.h"
#include "../loaders/DdsBuilder.h"

#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/Camera.h"
#include "mire/graphics/RenderStates.h"
#include "mire/model/ModelFactory.h"
#include "mire/texture/Texture.h"

using VelaTest::RENDER_HEIGHT;
using VelaTest::RENDER_WIDTH;

namespace
{
    class MaterialTextureRenderTest : public VelaTest::RendererTest
    {
    protected:
        void SetUp() override
        {
            VelaTest::RendererTest::SetUp();
            Vela::ModelFactory::SetServices(Vela::GetEngineModelFactoryServices());
            std::filesystem::create_directories(myGameRoot.Path() / "models");
            std::filesystem::copy_file(VelaTest::FixturePath("fbx/maya_cube_7500_binary.fbx"), myGameRoot.Path() / "models/red.fbx");
            std::filesystem::copy_file(VelaTest::FixturePath("fbx/maya_cube_7500_binary.fbx"), myGameRoot.Path() / "models/plain.fbx");
            // A 2x2 opaque red colour texture named after the first model file, beside it.
            myGameRoot.Write("models/red_C.dds", VelaTest::MakeSolidRgbaDds(2, 2, 255, 0, 0, 255));
        }

        void TearDown() override
        {
            Vela::ModelFactory::DestroyInstance();
            VelaTest::RendererTest::TearDown();
        }

        // Draws the model a few of its sizes in front of the camera, with the back buffer's depth buffer
        // bound and the default rasterizer state (back faces culled), and answers the centre pixel.
        VelaTest::Rgba DrawAndReadCentre(const std::string& aPath, Vela::RasterizerState aRasterizerState = Vela::RasterizerState_Default)
        {
            Vela::ModelInstance instance = Vela::ModelFactory::GetInstance().GetModelInstance(aPath);
            EXPECT_TRUE(instance.GetModel());
            if (!instance.GetModel())
                return {};
            const Vela::MeshBounds& bounds = instance.GetModel()->GetMeshes()[0].myBounds;
            instance.SetTransform(Vela::Matrix4x4<float>::CreateTranslation(
                { -bounds.myCentre.x, -bounds.myCentre.y, 3.0f * bounds.myRadius - bounds.myCentre.z }));

            BeginFrame();
            Vela::DX11::BackBuffer->SetAsActiveTarget(Vela::DX11::BackBufferDepth);
            Vela::Camera camera;
            camera.SetPerspectiveProjection(90.0f, { float(RENDER_WIDTH), float(RENDER_HEIGHT) }, 0.1f, 100.0f);
            States().Push();
            States().SetCamera(camera);
            States().SetRasterizerState(aRasterizerState);
            States().SetDepthStencilState(Vela::DepthStencilState_ReadWriteLess);
            Graphics().GetModelDrawer()->Draw(instance);
            States().Pop();
            return PixelAt(ReadBackBuffer(), RENDER_WIDTH / 2, RENDER_HEIGHT / 2);
        }
    };
}

TEST_F(MaterialTextureRenderTest, TheColourTextureBesideTheModelIsLoadedAndDrawn)
{
    std::shared_ptr<Vela::Model> model = Vela::ModelFactory::GetInstance().GetModel("models/red.fbx");
    ASSERT_TRUE(model);
    const Vela::Texture* colour = model->GetTextures()[0][0];
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour, Textures().GetTexture("models/red_C.dds", Vela::TextureSrgbMode::ForceSrgb));
    EXPECT_FALSE(colour->IsPlaceholder());

    const VelaTest::Rgba red = DrawAndReadCentre("models/red.fbx");
    EXPECT_GT(red[0], 60);
    EXPECT_LT(red[1], 10);
    EXPECT_LT(red[2], 10);

    // The same cube without a texture beside it draws with the white default: grey, not red.
    const VelaTest::Rgba plain = DrawAndReadCentre("models/plain.fbx");
    EXPECT_GT(plain[1], 60);
    EXPECT_EQ(plain[0], plain[1]);
    EXPECT_EQ(plain[1], plain[2]);
}

TEST_F(MaterialTextureRenderTest, WithBackFacesCulledTheNearFacesAreTheOnesDrawn)
{
    // With the depth buffer, drawing every face shows the near ones; culling must leave exactly those.
    const VelaTest::Rgba culled = DrawAndReadCentre("models/red.fbx", Vela::RasterizerState_Default);
    const VelaTest::Rgba everyFace = DrawAndReadCentre("models/red.fbx", Vela::RasterizerState_NoFaceCulling);
    EXPECT_GT(culled[0], 60);
    EXPECT_EQ(culled, everyFace);
}
