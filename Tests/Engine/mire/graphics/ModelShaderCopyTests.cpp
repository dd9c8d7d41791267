// A model shader held by value is copied and moved with the records that hold it; every copy draws.
#include "RendererTestSupport.h"

#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/Camera.h"
#include "mire/graphics/ModelShader.h"
#include "mire/graphics/RenderTarget.h"
#include "mire/model/ModelFactory.h"

#include <numbers>
#include <optional>
#include <utility>

using VelaTest::RENDER_HEIGHT;
using VelaTest::RENDER_WIDTH;

namespace
{
    class ModelShaderCopyTest : public VelaTest::RendererTest
    {
    protected:
        void TearDown() override
        {
            Vela::ModelFactory::DestroyInstance();
            VelaTest::RendererTest::TearDown();
        }

        // Draws a cube in front of the camera with the shader; true when it left a lit pixel in the centre.
        bool DrawsTheCube(Vela::ModelShader& aShader)
        {
            BeginFrame();
            Vela::DX11::BackBuffer->SetAsActiveTarget(Vela::DX11::BackBufferDepth);
            Vela::Camera camera;
            camera.SetPerspectiveProjection(90.0f, { float(RENDER_WIDTH), float(RENDER_HEIGHT) }, 1.0f, 1000.0f);
            Vela::ModelInstance cube = Vela::ModelFactory::GetInstance().GetModelInstance("Cube");
            cube.SetTransform(Vela::Matrix4x4<float>::CreateTranslation({ 0.0f, 0.0f, 300.0f }));
            States().Push();
            States().SetCamera(camera);
            const uint32_t before = Vela::DX11::DrawCallCount;
            Graphics().GetModelDrawer()->Draw(cube, aShader);
            const bool drew = Vela::DX11::DrawCallCount > before;
            States().Pop();
            const VelaTest::Rgba centre = PixelAt(ReadBackBuffer(), RENDER_WIDTH / 2, RENDER_HEIGHT / 2);
            return drew && (centre[0] + centre[1] + centre[2]) > 0;
        }
    };
}

TEST_F(ModelShaderCopyTest, CopiesAndMovedToShadersDrawAfterTheOriginalIsGone)
{
    std::optional<Vela::ModelShader> original(std::in_place);
    ASSERT_TRUE(original->Init());
    Vela::ModelShader copy(*original);
    Vela::ModelShader assigned;
    assigned = *original;
    original.reset();

    EXPECT_TRUE(copy.IsLoaded());
    EXPECT_EQ(copy.GetPixelShaderName(), assigned.GetPixelShaderName());
    EXPECT_TRUE(DrawsTheCube(copy));
    EXPECT_TRUE(DrawsTheCube(assigned));

    Vela::ModelShader moved(std::move(copy));
    EXPECT_TRUE(DrawsTheCube(moved));
}
