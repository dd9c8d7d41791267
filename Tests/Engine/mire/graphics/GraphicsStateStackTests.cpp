// What the state stack sends to the device and when: counted through the device's statistics.
#include "RendererTestSupport.h"

#include "Support/AssertionCapture.h"

namespace
{
    class GraphicsStateStackTest : public VelaTest::RendererTest
    {
    protected:
        // Runs one non-forced update and answers what it sent.
        Vela::Gfx::DeviceStatistics Update()
        {
            Context().ResetStatistics();
            States().UpdateGpuStates(false);
            return Context().GetStatistics();
        }

        static uint64_t StateBinds(const Vela::Gfx::DeviceStatistics& someStatistics)
        {
            return someStatistics.blendStateBinds + someStatistics.depthStencilStateBinds + someStatistics.rasterizerStateBinds +
                   someStatistics.samplerBinds;
        }
    };
}

TEST_F(GraphicsStateStackTest, UnchangedStateSendsNothing)
{
    BeginFrame();
    EXPECT_EQ(States().GetStackSize(), 1u);
    const auto statistics = Update();
    EXPECT_EQ(StateBinds(statistics), 0u);
    EXPECT_EQ(statistics.maps, 0u);
    EXPECT_EQ(statistics.shaderResourceBinds, 0u);
    EXPECT_EQ(statistics.constantBufferBinds, 0u);
}

TEST_F(GraphicsStateStackTest, PopRestoresWhatThePushedStateChanged)
{
    BeginFrame();
    States().Push();
    States().SetBlendState(Vela::BlendState_Disabled);
    auto statistics = Update();
    EXPECT_EQ(statistics.blendStateBinds, 1u);
    EXPECT_EQ(statistics.depthStencilStateBinds + statistics.rasterizerStateBinds + statistics.samplerBinds, 0u);
    States().Pop();
    statistics = Update();
    EXPECT_EQ(statistics.blendStateBinds, 1u) << "the default alpha blend goes back after the pop";
    EXPECT_EQ(Update().blendStateBinds, 0u);

    States().Push();
    States().SetDepthStencilState(Vela::DepthStencilState_ReadOnlyLessEqual);
    States().SetRasterizerState(Vela::RasterizerState_Default);
    statistics = Update();
    EXPECT_EQ(statistics.depthStencilStateBinds, 1u);
    EXPECT_EQ(statistics.rasterizerStateBinds, 1u);
    States().Pop();
}

TEST_F(GraphicsStateStackTest, CameraUploadsFollowTheStampNotTheContent)
{
    BeginFrame();
    Vela::Camera camera;
    camera.SetPerspectiveProjection(90.0f, { 320.0f, 180.0f }, 0.1f, 100.0f);
    States().Push();
    States().SetCamera(camera);
    EXPECT_EQ(Update().maps, 1u);
    EXPECT_EQ(Update().maps, 0u);
    // The same camera again still uploads.
    States().SetCamera(camera);
    EXPECT_EQ(Update().maps, 1u);
    // The pushed-from state carries the older stamp: its camera goes back up after the pop.
    States().Pop();
    EXPECT_EQ(Update().maps, 1u);

    States().SetCustomShaderParameters({ 1, 2, 3, 4 });
    EXPECT_EQ(Update().maps, 1u);
    EXPECT_EQ(Update().maps, 0u);
}

TEST_F(GraphicsStateStackTest, FrameStartForcesEverythingAndBindsTheConstantBlocks)
{
    BeginFrame();
    Context().ResetStatistics();
    States().BeginFrame();
    const auto& statistics = Context().GetStatistics();
    EXPECT_EQ(statistics.blendStateBinds, 1u);
    EXPECT_EQ(statistics.depthStencilStateBinds, 1u);
    EXPECT_EQ(statistics.rasterizerStateBinds, 1u);
    EXPECT_EQ(statistics.samplerBinds, 1u);
    EXPECT_EQ(statistics.maps, 4u) << "frame, custom, camera and lights";
    EXPECT_EQ(statistics.constantBufferBinds, 8u) << "four blocks, each to both stages";
    EXPECT_EQ(statistics.shaderResourceBinds, 1u) << "the environment map";
}

TEST_F(GraphicsStateStackTest, UnbalancedPushesAndPopsAreReported)
{
    VelaTest::AssertionCapture capture;
    BeginFrame();
    States().Pop();
    EXPECT_TRUE(capture.Contains("myRenderStateStack.size() > 1"));
    EXPECT_EQ(States().GetStackSize(), 1u);
    States().Push();
    States().BeginFrame();
    EXPECT_TRUE(capture.Contains("myRenderStateStack.size() == 1"));
    States().Pop();
}

TEST_F(GraphicsStateStackTest, OutOfRangeIndexIsReportedNotReadPastTheTable)
{
    VelaTest::AssertionCapture capture;
    BeginFrame();
    States().Push();
    States().SetBlendState(7);
    Update();
    EXPECT_TRUE(capture.Contains("render state index outside its table"));
    States().Pop();
}
