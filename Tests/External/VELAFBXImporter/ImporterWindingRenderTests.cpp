// Imported models drawn with the device's default rasterizer state (back faces culled, clockwise
// fronts) and a depth buffer: the faces that show must be the ones whose normals face the viewer.
#include "ImporterTestSupport.h"
#include "Platform/graphics/GfxTestSupport.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
    using VelaTest::ColoredVertex;

    constexpr std::array<float, 4> FACING = {0.0f, 1.0f, 0.0f, 1.0f};  // normal towards the viewer
    constexpr std::array<float, 4> AWAY = {1.0f, 0.0f, 0.0f, 1.0f};

    // Turned 30 degrees about Y, then tipped 20 degrees towards the viewer, who sees a box's front, side and top.
    std::array<float, 3> Turn(const float aVector[3])
    {
        const float cy = std::cos(0.5236f), sy = std::sin(0.5236f), cx = std::cos(0.3491f), sx = std::sin(0.3491f);
        const float x = cy * aVector[0] + sy * aVector[2];
        const float z = -sy * aVector[0] + cy * aVector[2];
        return {x, cx * aVector[1] + sx * z, -sx * aVector[1] + cx * z};
    }

    // Every triangle of the model, orthographically projected along +Z (left-handed: x right, y up),
    // coloured by whether its corners' normals face the viewer (towards -Z).
    std::vector<ColoredVertex> ProjectModel(const VelaFBX::ImportedModel& aModel)
    {
        std::vector<const VelaFBX::ImportedMesh*> parts;
        for (const VelaFBX::ImportedMesh& mesh : aModel.meshes)
            parts.push_back(&mesh);
        for (const auto& group : aModel.lodGroups)
            if (!group.empty())
                for (const VelaFBX::ImportedMesh& mesh : group.front().meshes)
                    parts.push_back(&mesh);
        float minimum[3] = {1e30f, 1e30f, 1e30f}, maximum[3] = {-1e30f, -1e30f, -1e30f};
        for (const VelaFBX::ImportedMesh* part : parts)
            for (const VelaFBX::Vertex& vertex : part->vertices)
            {
                const std::array<float, 3> position = Turn(vertex.position);
                for (int axis = 0; axis < 3; ++axis)
                {
                    minimum[axis] = std::min(minimum[axis], position[axis]);
                    maximum[axis] = std::max(maximum[axis], position[axis]);
                }
            }
        const float size = 1.1f * std::max({maximum[0] - minimum[0], maximum[1] - minimum[1], maximum[2] - minimum[2], 1e-6f}) * 0.5f;
        std::vector<ColoredVertex> vertices;
        for (const VelaFBX::ImportedMesh* part : parts)
            for (size_t i = 0; i + 2 < part->indices.size(); i += 3)
            {
                float facing = 0.0f;
                for (size_t k = 0; k < 3; ++k)
                    facing += Turn(part->vertices[part->indices[i + k]].normal)[2];
                const std::array<float, 4>& colour = facing < 0.0f ? FACING : AWAY;
                for (size_t k = 0; k < 3; ++k)
                {
                    const std::array<float, 3> p = Turn(part->vertices[part->indices[i + k]].position);
                    vertices.push_back({{(p[0] - (minimum[0] + maximum[0]) * 0.5f) / size, (p[1] - (minimum[1] + maximum[1]) * 0.5f) / size,
                                         0.5f + (p[2] - (minimum[2] + maximum[2]) * 0.5f) / (2.5f * size), 1.0f},
                                        {colour[0], colour[1], colour[2], colour[3]}});
                }
            }
        return vertices;
    }

    // With VELA_SCREENSHOT_DIR set, the picture is kept there as a PNG for a person to look at.
    void KeepScreenshot(const std::string& aName, const std::vector<uint8_t>& somePixels, uint32_t aSize)
    {
        const char* folder = std::getenv("VELA_SCREENSHOT_DIR");
        if (!folder)
            return;
        FILE* file = std::fopen((std::string(folder) + "/" + aName + ".png").c_str(), "wb");
        if (!file)
            return;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (png && info && setjmp(png_jmpbuf(png)) == 0)
        {
            png_init_io(png, file);
            png_set_IHDR(png, info, aSize, aSize, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_write_info(png, info);
            for (uint32_t row = 0; row < aSize; ++row)
                png_write_row(png, somePixels.data() + static_cast<size_t>(row) * aSize * 4);
            png_write_end(png, nullptr);
        }
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
    }

    class ImportedWinding : public VelaTest::GfxTest
    {
    protected:
        void SetUp() override
        {
            VelaTest::GfxTest::SetUp();
            VelaFBX::InitImporter();
        }
        void TearDown() override
        {
            VelaFBX::UninitImporter();
            VelaTest::GfxTest::TearDown();
        }
    };
}

TEST_F(ImportedWinding, FrontFacesAreTheOnesDrawnWithTheDefaultRasterizerState)
{
    int drawnFiles = 0;
    for (const auto& path : VelaTest::FbxFixtures())
    {
        VelaFBX::ImportedModel model;
        try
        {
            if (!VelaFBX::LoadModel(path.string(), model, false, true))
                continue;
        }
        catch (const std::exception&)
        {
            continue;  // files the import refuses are another test's concern
        }
        const std::vector<ColoredVertex> vertices = ProjectModel(model);
        if (vertices.empty())
            continue;
        SCOPED_TRACE(path.filename().string());
        MakeDepth();
        MakeTarget();
        myContext->RSSetState(nullptr);
        myContext->OMSetDepthStencilState(nullptr, 0);
        DrawColored(vertices);
        const std::vector<uint8_t> pixels = ReadTexture(myTarget.Get());
        KeepScreenshot(path.stem().string(), pixels, SIZE);
        size_t facing = 0, away = 0;
        for (size_t i = 0; i + 3 < pixels.size(); i += 4)
        {
            facing += pixels[i + 1] > 128 ? 1 : 0;
            away += pixels[i] > 128 ? 1 : 0;
        }
        // Smooth normals near an outline may lean away; a model drawn inside out shows almost only those.
        // (A lone plane seen from behind shows nothing at all.)
        EXPECT_LE(away * 20, facing + away) << facing << " facing, " << away << " away";
        drawnFiles += facing > 0 ? 1 : 0;
    }
    EXPECT_GE(drawnFiles, 10);
}
