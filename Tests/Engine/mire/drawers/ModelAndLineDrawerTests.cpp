// Models through the model drawer's shaders and lines through the line drawer, checked on screen.
#include "../graphics/RendererTestSupport.h"
#include "../loaders/DdsBuilder.h"

#include "mire/drawers/LineDrawer.h"
#include "mire/drawers/ModelDrawer.h"
#include "mire/graphics/ModelShader.h"
#include "mire/model/MeshData.h"
#include "mire/texture/Texture.h"

#include <numbers>

using VelaTest::RENDER_HEIGHT;
using VelaTest::RENDER_WIDTH;

namespace
{
    class ModelDrawerTest : public VelaTest::RendererTest
    {
    protected:
        void SetUp() override
        {
            VelaTest::RendererTest::SetUp();
            // A 2x2 opaque red colour texture in the game root.
            myGameRoot.Write("Textures/red_c.dds", VelaTest::MakeSolidRgbaDds(2, 2, 255, 0, 0, 255));
        }

        // A 2 x 2 square in the x/y plane at depth 5, facing the camera (normal towards -z).
        Vela::MeshData MakeSquare()
        {
            Vela::MeshData mesh;
            const float corners[4][2] = { { -1, -1 }, { -1, 1 }, { 1, 1 }, { 1, -1 } };
            std::vector<Vela::ModelVertex> vertices(4);
            for (int i = 0; i < 4; ++i)
            {
                Vela::ModelVertex& vertex = vertices[size_t(i)];
                vertex.myPosition[0] = corners[i][0];
                vertex.myPosition[1] = corners[i][1];
                vertex.myPosition[3] = 1.0f;
                for (float& channel : vertex.myColors[0])
                    channel = 1.0f;
                vertex.myUvs[0][0] = (corners[i][0] + 1.0f) * 0.5f;
                vertex.myUvs[0][1] = (1.0f - corners[i][1]) * 0.5f;
                vertex.myNormal[2] = -1.0f;
                vertex.myTangent[0] = 1.0f;
                vertex.myBinormal[1] = 1.0f;
                vertex.myWeights[0] = 1.0f;
            }
            const std::vector<uint32_t> indices = { 0, 1, 2, 0, 2, 3 };
            mesh.myVertexCount = 4;
            mesh.myIndexCount = 6;
            mesh.myVertexBuffer = MakeBuffer(vertices.data(), uint32_t(vertices.size() * sizeof(Vela::ModelVertex)), Vela::Gfx::BIND_VERTEX_BUFFER);
            mesh.myIndexBuffer = MakeBuffer(indices.data(), uint32_t(indices.size() * 4), Vela::Gfx::BIND_INDEX_BUFFER);
            return mesh;
        }

        static Vela::Gfx::Ref<Vela::Gfx::Buffer> MakeBuffer(const void* someData, uint32_t aSize, uint32_t aBinding)
        {
            Vela::Gfx::BufferDesc description;
            description.byteWidth = aSize;
            description.usage = Vela::Gfx::Usage::IMMUTABLE;
            description.bindFlags = aBinding;
            const Vela::Gfx::SubresourceData data = { someData, 0, 0 };
            Vela::Gfx::Ref<Vela::Gfx::Buffer> buffer;
            EXPECT_TRUE(Vela::Gfx::Succeeded(Vela::DX11::Device->CreateBuffer(&description, &data, buffer.ReleaseAndGetAddressOf())));
            return buffer;
        }

        std::array<const Vela::Texture*, 4> Material()
        {
            return { Textures().GetTexture("Textures/red_c.dds"), Textures().GetTexture("Textures/T_Default_n.dds", Vela::TextureSrgbMode::IgnoreSrgb),
                     Textures().GetTexture("Textures/T_Default_m.dds", Vela::TextureSrgbMode::IgnoreSrgb),
                     Textures().GetTexture("Textures/T_Default_fx.dds", Vela::TextureSrgbMode::IgnoreSrgb) };
        }

        // Draws the square with the default model shader under a perspective camera at the origin.
        VelaTest::Rgba DrawSquareAndReadCentre(const Vela::Matrix4x4<float>& aWorld)
        {
            BeginFrame();
            Vela::Camera camera;
            camera.SetPerspectiveProjection(90.0f, { float(RENDER_WIDTH), float(RENDER_HEIGHT) }, 0.1f, 100.0f);
            States().Push();
            States().SetCamera(camera);
            const Vela::MeshData square = MakeSquare();
            Graphics().GetModelDrawer()->GetDefaultShader()->Render(Material(), square, aWorld, nullptr);
            States().Pop();
            return PixelAt(ReadBackBuffer(), RENDER_WIDTH / 2, RENDER_HEIGHT / 2);
        }
    };
}

TEST_F(ModelDrawerTest, LitModelInFrontOfTheCameraShowsItsColourTextureShaded)
{
    for (const auto& texture : Material())
        ASSERT_FALSE(texture->IsPlaceholder()) << texture->GetPath();

    const uint32_t before = Vela::DX11::DrawCallCount;
    const auto facing = DrawSquareAndReadCentre(Vela::Matrix4x4<float>::CreateTranslation({ 0, 0, 5 }));
    EXPECT_EQ(Vela::DX11::DrawCallCount - before, 1u);
    EXPECT_GT(facing[0], 240);
    EXPECT_LT(facing[1], 10);
    EXPECT_LT(facing[2], 10);

    // Turned 60 degrees away from the light (which comes from the camera's side), it gets darker.
    Vela::Matrix4x4<float> turned = Vela::Matrix4x4<float>::CreateRotationAroundY(std::numbers::pi_v<float> / 3.0f);
    turned.SetTranslation({ 0, 0, 5 });
    const auto shaded = DrawSquareAndReadCentre(turned);
    EXPECT_LT(shaded[0], facing[0] - 10);
    EXPECT_GT(shaded[0], 120);
    EXPECT_LT(shaded[1], 10);

    // Outside the square: the clear colour.
    EXPECT_EQ(PixelAt(ReadBackBuffer(), 2, 2)[0], 0);
}

TEST_F(ModelDrawerTest, ModelsStillDrawAfterTheEngineIsShutDownAndStartedAgainInOneProcess)
{
    EXPECT_GT(DrawSquareAndReadCentre(Vela::Matrix4x4<float>::CreateTranslation({ 0, 0, 5 }))[0], 240);
    ASSERT_FALSE(Vela::DX11::VertexShaderCache.empty());

    // Shut down and started again as a program would, without the test's own cache clearing.
    Vela::Engine::Shutdown();
    EXPECT_TRUE(Vela::DX11::VertexShaderCache.empty());
    EXPECT_TRUE(Vela::DX11::PixelShaderCache.empty());
    Vela::Platform::ClearMessageQueue();
    ASSERT_TRUE(Vela::Engine::Start());

    const auto centre = DrawSquareAndReadCentre(Vela::Matrix4x4<float>::CreateTranslation({ 0, 0, 5 }));
    EXPECT_GT(centre[0], 240);
    EXPECT_LT(centre[1], 10);
}

TEST_F(ModelDrawerTest, EveryStockShaderLoadsAndDraws)
{
    Vela::ModelDrawer& drawer = *Graphics().GetModelDrawer();
    Vela::ModelShader* shaders[] = { drawer.GetDefaultShader(), drawer.GetAnimatedShader(), drawer.GetPbrShader(),
                                     drawer.GetAnimatedPbrShader(), drawer.GetLambertShader(), drawer.GetAnimatedLambertShader() };
    std::array<Vela::Matrix4x4<float>, 128> bones;
    for (Vela::ModelShader* shader : shaders)
    {
        ASSERT_NE(shader, nullptr);
        EXPECT_TRUE(shader->IsLoaded()) << shader->GetVertexShaderName() << " + " << shader->GetPixelShaderName();
        BeginFrame();
        Vela::Camera camera;
        camera.SetPerspectiveProjection(90.0f, { float(RENDER_WIDTH), float(RENDER_HEIGHT) }, 0.1f, 100.0f);
        States().Push();
        States().SetCamera(camera);
        shader->Render(Material(), MakeSquare(), Vela::Matrix4x4<float>::CreateTranslation({ 0, 0, 5 }), bones.data());
        States().Pop();
        const auto centre = PixelAt(ReadBackBuffer(), RENDER_WIDTH / 2, RENDER_HEIGHT / 2);
        // Red dominates; the metal/roughness shaders add a little white specular under the head-on light.
        EXPECT_GT(centre[0], 100) << shader->GetPixelShaderName();
        EXPECT_GT(centre[0], centre[1] + 100) << shader->GetPixelShaderName();
        EXPECT_EQ(centre[1], centre[2]) << shader->GetPixelShaderName();
    }
}

TEST_F(ModelDrawerTest, AnimatedShaderPlacesVerticesByTheirBoneMatrices)
{
    // Every vertex follows bone 0 with full weight; bone 0 moves the square far to the left.
    std::array<Vela::Matrix4x4<float>, 128> bones;
    bones[0] = Vela::Matrix4x4<float>::CreateTranslation({ -20.0f, 0.0f, 0.0f });
    BeginFrame();
    Vela::Camera camera;
    camera.SetPerspectiveProjection(90.0f, { float(RENDER_WIDTH), float(RENDER_HEIGHT) }, 0.1f, 100.0f);
    States().Push();
    States().SetCamera(camera);
    Graphics().GetModelDrawer()->GetAnimatedShader()->Render(Material(), MakeSquare(), Vela::Matrix4x4<float>::CreateTranslation({ 0, 0, 5 }),
                                                             bones.data());
    States().Pop();
    EXPECT_EQ(PixelAt(ReadBackBuffer(), RENDER_WIDTH / 2, RENDER_HEIGHT / 2)[0], 0) << "the square left the centre";

    bones[0] = Vela::Matrix4x4<float>::CreateTranslation({ 0.0f, 0.0f, 0.0f });
    BeginFrame();
    States().Push();
    States().SetCamera(camera);
    Graphics().GetModelDrawer()->GetAnimatedShader()->Render(Material(), MakeSquare(), Vela::Matrix4x4<float>::CreateTranslation({ 0, 0, 5 }),
                                                             bones.data());
    States().Pop();
    EXPECT_GT(PixelAt(ReadBackBuffer(), RENDER_WIDTH / 2, RENDER_HEIGHT / 2)[0], 200);
}

TEST_F(ModelDrawerTest, ShaderWithAMissingPixelShaderDrawsNothing)
{
    Vela::ModelShader shader;
    EXPECT_FALSE(shader.Init("shaders/model_shader_VS", "shaders/no_such_shader_PS"));
    EXPECT_FALSE(shader.IsLoaded());
    EXPECT_NE(shader.GetVertexShaderEntry(), nullptr);
    BeginFrame();
    const uint32_t before = Vela::DX11::DrawCallCount;
    shader.Render(Material(), MakeSquare(), Vela::Matrix4x4<float>::CreateTranslation({ 0, 0, 5 }), nullptr);
    EXPECT_EQ(Vela::DX11::DrawCallCount, before);
}

TEST_F(ModelDrawerTest, LineDrawerDrawsOneColouredLinePerCall)
{
    BeginFrame();
    const uint32_t before = Vela::DX11::DrawCallCount;
    Graphics().GetLineDrawer()->Draw({ { 0.0f, 1.0f, 0.0f, 1.0f }, { 10.0f, 60.5f, 0.0f }, { 100.0f, 60.5f, 0.0f } });
    EXPECT_EQ(Vela::DX11::DrawCallCount - before, 1u);
    const auto pixels = ReadBackBuffer();
    const auto onLine = PixelAt(pixels, 50, RENDER_HEIGHT - 61);
    EXPECT_GT(onLine[1], 250);
    EXPECT_LT(onLine[0], 5);
    EXPECT_EQ(PixelAt(pixels, 150, RENDER_HEIGHT - 61)[1], 0);
}
