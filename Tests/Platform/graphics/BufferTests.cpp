// Vertex, index and constant buffers: instancing with integer attributes, dynamic maps, indexed draws.
#include "GfxTestSupport.h"

namespace VelaTest
{
    using BufferTest = GfxTest;

    namespace
    {
        struct Corner
        {
            float x, y;
        };

        struct Cell
        {
            uint32_t index[4];
        };

        const Corner QUAD_CORNERS[6] = {{0, 0}, {1, 0}, {0, -1}, {1, 0}, {1, -1}, {0, -1}};
    }

    TEST_F(BufferTest, InstancedDrawsReadIntegerAndStepRatedAttributes)
    {
        MakeTarget();
        Ref<VertexShader> vertexShader = LoadVertexShader("instanced_VS");
        Ref<PixelShader> pixelShader = LoadPixelShader("colored_PS");
        // Corners per vertex (slot 0), cell numbers per instance (slot 1), colours per two instances (slot 2).
        Ref<InputLayout> layout = MakeLayout({{"POSITION", 0, Format::R32G32_FLOAT, 0, 0, InputClassification::PER_VERTEX_DATA, 0},
                                              {"TEXCOORD", 0, Format::R32G32B32A32_UINT, 1, 0, InputClassification::PER_INSTANCE_DATA, 1},
                                              {"COLOR", 0, Format::R32G32B32A32_FLOAT, 2, 0, InputClassification::PER_INSTANCE_DATA, 2}},
                                             "instanced_VS");
        const Cell cells[4] = {{{0, 0, 0, 0}}, {{1, 0, 0, 0}}, {{2, 0, 0, 0}}, {{3, 0, 0, 0}}};
        const float colors[3][4] = {{1, 0, 0, 1}, {0, 0, 1, 1}, {0, 1, 0, 1}};
        Ref<Buffer> corners = MakeBuffer(QUAD_CORNERS, sizeof(QUAD_CORNERS), BIND_VERTEX_BUFFER);
        Ref<Buffer> cellBuffer = MakeBuffer(cells, sizeof(cells), BIND_VERTEX_BUFFER);
        Ref<Buffer> colorBuffer = MakeBuffer(colors, sizeof(colors), BIND_VERTEX_BUFFER);
        Buffer* buffers[3] = {corners.Get(), cellBuffer.Get(), colorBuffer.Get()};
        const uint32_t strides[3] = {sizeof(Corner), sizeof(Cell), 16};
        const uint32_t offsets[3] = {0, 0, 0};
        ASSERT_EQ(myContext->IASetVertexBuffers(0, 3, buffers, strides, offsets), RESULT_OK);
        myContext->IASetInputLayout(layout.Get());
        myContext->IASetPrimitiveTopology(PrimitiveTopology::TRIANGLELIST);
        myContext->VSSetShader(vertexShader.Get());
        myContext->PSSetShader(pixelShader.Get());

        // Instances 2 and 3 only: the two right columns.
        myContext->DrawInstanced(6, 2, 0, 2);
        EXPECT_EQ(TargetPixel(8, 32)[3], 0);
        EXPECT_EQ(TargetPixel(24, 32)[3], 0);
        EXPECT_EQ(TargetPixel(40, 32)[3], 255);
        EXPECT_EQ(TargetPixel(56, 32)[3], 255);

        // All four: colours change every second instance.
        myContext->DrawInstanced(6, 4, 0, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(8, 32), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(24, 32), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(40, 32), 0, 0, 255, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(56, 32), 0, 0, 255, 255);

        // Zero instances draw nothing and are still counted.
        const uint64_t draws = myContext->GetStatistics().drawCalls;
        myContext->DrawInstanced(6, 0, 0, 0);
        EXPECT_EQ(myContext->GetStatistics().drawCalls, draws + 1);
    }

    TEST_F(BufferTest, DynamicVertexBuffersMapWriteDiscardAndDrawTheNewContents)
    {
        MakeTarget();
        Ref<Buffer> dynamic = MakeBuffer(nullptr, 6 * sizeof(ColoredVertex), BIND_VERTEX_BUFFER, Usage::DYNAMIC);
        DrawColored(Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, {0.0f, 0.0f, 0.0f, 1.0f}));   // sets up shaders and layout
        const uint32_t stride = sizeof(ColoredVertex);
        const uint32_t offset = 0;
        for (const std::array<float, 4>& color : {std::array<float, 4>{1, 0, 0, 1}, std::array<float, 4>{0, 1, 0, 1}})
        {
            MappedSubresource mapped;
            ASSERT_EQ(myContext->Map(dynamic.Get(), 0, MapType::WRITE_DISCARD, 0, &mapped), RESULT_OK);
            const std::vector<ColoredVertex> quad = Quad(-1.0f, 1.0f, 1.0f, -1.0f, 0.5f, color);
            std::memcpy(mapped.data, quad.data(), quad.size() * sizeof(ColoredVertex));
            myContext->Unmap(dynamic.Get(), 0);
            myContext->IASetVertexBuffers(0, 1, dynamic.GetArray(), &stride, &offset);
            myContext->Draw(6, 0);
            EXPECT_PIXEL_NEAR(TargetPixel(32, 32), static_cast<int>(color[0] * 255), static_cast<int>(color[1] * 255), 0, 255);
        }
        // No-overwrite maps hand back the contents as they are; a second map before the unmap is refused.
        MappedSubresource mapped;
        ASSERT_EQ(myContext->Map(dynamic.Get(), 0, MapType::WRITE_NO_OVERWRITE, 0, &mapped), RESULT_OK);
        EXPECT_FLOAT_EQ(static_cast<const ColoredVertex*>(mapped.data)[0].color[1], 1.0f);
        MappedSubresource again;
        EXPECT_EQ(myContext->Map(dynamic.Get(), 0, MapType::WRITE_NO_OVERWRITE, 0, &again), RESULT_INVALID_CALL);
        myContext->Unmap(dynamic.Get(), 0);
        // Immutable and default buffers do not map.
        Ref<Buffer> immutable = MakeBuffer(&mapped, 16, BIND_VERTEX_BUFFER);
        EXPECT_EQ(myContext->Map(immutable.Get(), 0, MapType::WRITE_DISCARD, 0, &again), RESULT_INVALID_CALL);
    }

    TEST_F(BufferTest, ConstantBufferSlotsReachThePixelShaderAndFollowUpdates)
    {
        MakeTarget();
        Ref<VertexShader> vertexShader = LoadVertexShader("fullscreen_VS");
        Ref<PixelShader> pixelShader = LoadPixelShader("constant_color_PS");
        const float scale[4] = {1.0f, 0.5f, 1.0f, 1.0f};
        Ref<Buffer> colorBuffer = MakeBuffer(nullptr, 16, BIND_CONSTANT_BUFFER, Usage::DYNAMIC);
        Ref<Buffer> scaleBuffer = MakeBuffer(scale, 16, BIND_CONSTANT_BUFFER, Usage::DEFAULT);
        // No input layout: the vertex shader builds its triangle from vertex numbers.
        myContext->IASetInputLayout(nullptr);
        myContext->IASetPrimitiveTopology(PrimitiveTopology::TRIANGLELIST);
        myContext->VSSetShader(vertexShader.Get());
        myContext->PSSetShader(pixelShader.Get());
        myContext->PSSetConstantBuffers(3, 1, colorBuffer.GetArray());
        myContext->VSSetConstantBuffers(4, 1, scaleBuffer.GetArray());
        myContext->PSSetConstantBuffers(4, 1, scaleBuffer.GetArray());

        const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
        MappedSubresource mapped;
        ASSERT_EQ(myContext->Map(colorBuffer.Get(), 0, MapType::WRITE_DISCARD, 0, &mapped), RESULT_OK);
        std::memcpy(mapped.data, green, sizeof(green));
        myContext->Unmap(colorBuffer.Get(), 0);
        myContext->Draw(3, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(0, 0), 0, 128, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(63, 63), 0, 128, 0, 255);

        const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        ASSERT_EQ(myContext->UpdateSubresource(scaleBuffer.Get(), 0, white, 0, 0), RESULT_OK);
        ASSERT_EQ(myContext->Map(colorBuffer.Get(), 0, MapType::WRITE_DISCARD, 0, &mapped), RESULT_OK);
        const float red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
        std::memcpy(mapped.data, red, sizeof(red));
        myContext->Unmap(colorBuffer.Get(), 0);
        myContext->Draw(3, 0);
        EXPECT_PIXEL_NEAR(TargetPixel(32, 32), 255, 0, 0, 255);
    }

    TEST_F(BufferTest, IndexedDrawsUseIndexFormatStartAndBaseVertex)
    {
        MakeTarget();
        DrawColored({});   // loads the shaders and layout
        // Four unused vertices, then a red quad's four corners.
        std::vector<ColoredVertex> vertices(4, ColoredVertex{{0, 0, 0, 1}, {0, 0, 0, 1}});
        for (const auto& corner : {std::array<float, 2>{-1, 1}, std::array<float, 2>{0, 1}, std::array<float, 2>{0, 0}, std::array<float, 2>{-1, 0}})
            vertices.push_back(ColoredVertex{{corner[0], corner[1], 0.5f, 1.0f}, {1, 0, 0, 1}});
        const uint16_t shortIndices[8] = {9, 9, 0, 1, 3, 1, 2, 3};
        const uint32_t longIndices[6] = {0, 1, 3, 1, 2, 3};
        Ref<Buffer> vertexBuffer = MakeBuffer(vertices.data(), static_cast<uint32_t>(vertices.size() * sizeof(ColoredVertex)), BIND_VERTEX_BUFFER);
        Ref<Buffer> shortBuffer = MakeBuffer(shortIndices, sizeof(shortIndices), BIND_INDEX_BUFFER);
        Ref<Buffer> longBuffer = MakeBuffer(longIndices, sizeof(longIndices), BIND_INDEX_BUFFER);
        const uint32_t stride = sizeof(ColoredVertex);
        const uint32_t offset = 0;
        myContext->IASetVertexBuffers(0, 1, vertexBuffer.GetArray(), &stride, &offset);

        ASSERT_EQ(myContext->IASetIndexBuffer(shortBuffer.Get(), Format::R16_UINT, 0), RESULT_OK);
        myContext->DrawIndexed(6, 2, 4);
        EXPECT_PIXEL_NEAR(TargetPixel(10, 10), 255, 0, 0, 255);
        EXPECT_PIXEL_NEAR(TargetPixel(50, 50), 0, 0, 0, 0);

        const float black[4] = {0, 0, 0, 0};
        myContext->ClearRenderTargetView(myTargetView.Get(), black);
        ASSERT_EQ(myContext->IASetIndexBuffer(longBuffer.Get(), Format::R32_UINT, 0), RESULT_OK);
        myContext->DrawIndexed(6, 0, 4);
        EXPECT_PIXEL_NEAR(TargetPixel(10, 10), 255, 0, 0, 255);

        // Indices past the buffer's end: refused, nothing read.
        const uint64_t skipped = myContext->GetStatistics().skippedDraws;
        myContext->DrawIndexed(6, 1, 4);
        EXPECT_EQ(myContext->GetStatistics().skippedDraws, skipped + 1);
        // No index buffer: refused too.
        myContext->IASetIndexBuffer(nullptr, Format::R32_UINT, 0);
        myContext->DrawIndexed(3, 0, 0);
        EXPECT_EQ(myContext->GetStatistics().skippedDraws, skipped + 2);
    }

    TEST_F(BufferTest, StagingBuffersReadBackCopies)
    {
        const uint32_t values[4] = {1, 2, 3, 4};
        Ref<Buffer> source = MakeBuffer(values, sizeof(values), BIND_VERTEX_BUFFER, Usage::DEFAULT);
        BufferDesc desc;
        desc.byteWidth = sizeof(values);
        desc.usage = Usage::STAGING;
        desc.cpuAccessFlags = CPU_ACCESS_READ;
        Ref<Buffer> staging;
        ASSERT_EQ(myDevice->CreateBuffer(&desc, nullptr, staging.ReleaseAndGetAddressOf()), RESULT_OK);
        ASSERT_EQ(myContext->CopyResource(staging.Get(), source.Get()), RESULT_OK);
        MappedSubresource mapped;
        ASSERT_EQ(myContext->Map(staging.Get(), 0, MapType::READ, 0, &mapped), RESULT_OK);
        EXPECT_EQ(std::memcmp(mapped.data, values, sizeof(values)), 0);
        myContext->Unmap(staging.Get(), 0);
        EXPECT_EQ(myContext->Map(staging.Get(), 0, MapType::WRITE, 0, &mapped), RESULT_INVALID_CALL);
        // Sizes must match.
        Ref<Buffer> small = MakeBuffer(values, 8, BIND_VERTEX_BUFFER, Usage::DEFAULT);
        EXPECT_EQ(myContext->CopyResource(staging.Get(), small.Get()), RESULT_INVALID_CALL);
    }
}
