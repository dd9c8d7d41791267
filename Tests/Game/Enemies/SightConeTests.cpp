// Sight fans: the Glomp's six rays, the Eyecorn's ray count from its angle, and the scanner beam as
// it shows on screen in its normal and its alert colour.
#include "World/CollisionManager.h"
#include "EnemyTestGame.h"
#include "Enemies/SightCone.h"
#include "Spine/GameContext.h"

#include "mire/math/Matrix4x4.h"

#include <cmath>

using namespace EnemyTest;

namespace
{
    constexpr float RADIANS = 3.14159265f / 180.0f;

    // A flat wedge with its tip at the origin, 91 units along +x and 32 wide, drawn from both sides:
    // the cube fixture's geometry block exchanged for the wedge's.
    std::string WedgeFbx()
    {
        const std::string content = ReadAsciiCube();
        const size_t begin = content.find("\t\tVertices:");
        const size_t end = content.find("\t\tLayerElementMaterial:");
        if (begin == std::string::npos || end == std::string::npos)
            return {};
        const auto array = [](const char* aName, int aCount, const std::string& someValues) {
            return std::string("\t\t\t") + aName + ": *" + std::to_string(aCount) + " {\n\t\t\t\ta: " + someValues + "\n\t\t\t}\n";
        };
        const auto layer = [&](const char* anElement, const char* aReference, const std::string& aBody) {
            return std::string("\t\t") + anElement + ": 0 {\n\t\t\tVersion: 102\n\t\t\tName: \"map1\"\n\t\t\tMappingInformationType: \"ByPolygonVertex\"\n"
                                                      "\t\t\tReferenceInformationType: \"" +
                   aReference + "\"\n" + aBody + "\t\t}\n";
        };
        std::string wedge = "\t\tVertices: *9 {\n\t\t\ta: 0,0,0,91,0,-16,91,0,16\n\t\t}\n"
                            "\t\tPolygonVertexIndex: *6 {\n\t\t\ta: 0,1,-3,0,2,-2\n\t\t}\n"
                            "\t\tEdges: *3 {\n\t\t\ta: 0,1,2\n\t\t}\n\t\tGeometryVersion: 124\n";
        wedge += layer("LayerElementNormal", "Direct", array("Normals", 18, "0,1,0,0,1,0,0,1,0,0,1,0,0,1,0,0,1,0"));
        wedge += layer("LayerElementBinormal", "Direct", array("Binormals", 18, "0,0,1,0,0,1,0,0,1,0,0,1,0,0,1,0,0,1"));
        wedge += layer("LayerElementTangent", "Direct", array("Tangents", 18, "1,0,0,1,0,0,1,0,0,1,0,0,1,0,0,1,0,0"));
        wedge += layer("LayerElementUV", "IndexToDirect", array("UV", 6, "0,0.5,1,0,1,1") + array("UVIndex", 6, "0,1,2,0,2,1"));
        wedge += "\t\tLayerElementSmoothing: 0 {\n\t\t\tVersion: 102\n\t\t\tName: \"\"\n\t\t\tMappingInformationType: \"ByEdge\"\n"
                 "\t\t\tReferenceInformationType: \"Direct\"\n" +
                 array("Smoothing", 3, "0,0,0") + "\t\t}\n";
        return content.substr(0, begin) + wedge + content.substr(end);
    }

    // Where a world point lands in the back buffer (rows from the top).
    Vela::Vector2<float> ToPixel(const Vela::Camera& aCamera, Vela::Vector3<float> aPoint, uint32_t aWidth, uint32_t aHeight)
    {
        const Vela::Vector4<float> clip =
            Vela::Vector4<float>{ aPoint.x, aPoint.y, aPoint.z, 1.0f } * Vela::Matrix4x4<float>::GetInverse(aCamera.GetTransform()) * aCamera.GetProjection();
        return { (clip.x / clip.w + 1.0f) * 0.5f * static_cast<float>(aWidth), (1.0f - clip.y / clip.w) * 0.5f * static_cast<float>(aHeight) };
    }

    struct Rgb
    {
        int r = 0, g = 0, b = 0;
    };

    class ScannerTest : public EnemyGameTest
    {
    protected:
        // The pixels on the beam's centre line and beside the beam, 250 units below the eye.
        std::pair<Rgb, Rgb> BeamAndBackground(const char* aPng)
        {
            uint32_t width = 0;
            uint32_t height = 0;
            const std::vector<uint8_t> pixels = ReadBackBufferRgba(width, height);
            const std::filesystem::path folder = std::filesystem::path(VELA_RUNTIME_DIR) / "screenshots/enemies";
            std::filesystem::create_directories(folder);
            WritePng(folder / aPng, pixels, width, height);
            const Vela::Camera& camera = TheGame().GetCameraController().GetPerspectiveCamera();
            const auto at = [&](Vela::Vector3<float> aPoint) {
                const Vela::Vector2<float> pixel = ToPixel(camera, aPoint, width, height);
                const size_t index = (static_cast<size_t>(pixel.y) * width + static_cast<size_t>(pixel.x)) * 4;
                return index + 2 < pixels.size() ? Rgb{ pixels[index], pixels[index + 1], pixels[index + 2] } : Rgb{};
            };
            return { at({ 0, 250, 0 }), at({ 250, 250, 0 }) };
        }
    };
}

TEST(SightConeRays, TheGlompFanCastsSixRaysTwoDegreesApartAroundItsFacing)
{
    GameContext context;
    CollisionManager collision(1500.0f, &context);
    context.collisionManager = &collision;
    Player player(context, nullptr);
    player.GetHurtBox().SetBox(5000.0f, 5000.0f, 25.0f, 47.8f);
    Vela::Matrix4x4<float> transform;
    transform.SetTranslation({ 100.0f, 20.0f, 0.0f });

    SightCone cone(&context, 2.0f);
    for (const bool facesLeft : { false, true })
    {
        cone.InitForGlomp(transform, facesLeft, 300.0f);
        ASSERT_EQ(cone.myRayCount, 6);
        EXPECT_FALSE(cone.TestGlomp(player, transform, -1));
        ASSERT_EQ(cone.someRays.size(), 6u);
        const float facing = facesLeft ? 180.0f : 0.0f;
        const float offsets[] = { -5, -3, -1, 1, 3, 5 };
        for (size_t ray = 0; ray < 6; ++ray)
        {
            const SightRay& record = cone.someRays[ray];
            const float angle = (facing + offsets[ray]) * RADIANS;
            EXPECT_NEAR(record.cosine, std::cos(angle), 1e-5f) << ray;
            EXPECT_NEAR(record.sine, std::sin(angle), 1e-5f) << ray;
            EXPECT_NEAR(record.offsetX, 300.0f * std::cos(angle), 1e-3f);
            EXPECT_NEAR(record.offsetY, 300.0f * std::sin(angle), 1e-3f);
            EXPECT_EQ(record.startX, 100.0f);
            EXPECT_EQ(record.startY, 70.0f) << "eyes 50 above the feet";
        }
    }
    // In front of a right-facing Glomp, at eye height and within reach.
    cone.UpdateGlompFacing(transform, false);
    player.GetHurtBox().SetBox(350.0f, 70.0f, 25.0f, 47.8f);
    EXPECT_TRUE(cone.TestGlomp(player, transform, -1));
    EXPECT_TRUE(cone.IsAlert());
}

TEST_F(ScannerTest, TheBeamShowsWhereTheEyecornLooksInItsNormalAndItsAlertColour)
{
    const std::string wedge = WedgeFbx();
    ASSERT_FALSE(wedge.empty());
    Start({ Floor(), ThePlayerAt(-400.0f), EyecornAt({ 0.0f, 500.0f }, 0.0f, 5.0f) },
          [&](const std::filesystem::path& aRoot) { WriteFixtureFile(aRoot / "visual effects/models/SM_ScannerPlane.fbx", wedge); });
    Eyecorn& eyecorn = TheGame().GetEyecorns().front();
    ASSERT_NE(eyecorn.GetCone()->myPlane.GetModel(), nullptr);

    Frames(2);
    ASSERT_FALSE(eyecorn.GetCone()->IsAlert());
    const auto [normal, besideNormal] = BeamAndBackground("enemies_scanner_normal.png");
    EXPECT_GT(normal.r, besideNormal.r + 60) << "yellow over the background";
    EXPECT_GE(normal.g, besideNormal.g);
    EXPECT_LT(normal.b, besideNormal.b);

    ThePlayer().SetPosition({ 0.0f, FEET, 0.0f });
    ASSERT_TRUE(RunUntil([&] { return eyecorn.GetState() == Eyecorn::TRACKING; }, 10));
    Frames(2);
    ASSERT_TRUE(eyecorn.GetCone()->IsAlert());
    const auto [alert, besideAlert] = BeamAndBackground("enemies_scanner_alert.png");
    EXPECT_GT(alert.r, besideAlert.r + 60) << "red over the background";
    EXPECT_LT(alert.g, besideAlert.g - 20);
    EXPECT_LT(alert.b, besideAlert.b);
}

TEST_F(ScannerTest, TheEyecornFanHasOneRayPerTwoDegreesAndIsResizedWithItsAngle)
{
    Start({ Floor(), ThePlayerAt(-400.0f) });
    Player& player = ThePlayer();
    SightCone cone(&TheGame().GetContext(), 2.0f);
    Vela::Matrix4x4<float> transform;
    cone.InitForEyecorn(transform, 7.0f, 800.0f);
    EXPECT_EQ(cone.myRayCount, 4);
    cone.TestEyecorn(player, transform, -1, 0.0f);
    ASSERT_EQ(cone.someRays.size(), 4u);
    // Centre 0 points straight down; the last ray is 1 degree short of the fan's edge at +3.5.
    const float last = (2.5f - 90.0f) * RADIANS;
    EXPECT_NEAR(cone.someRays[3].cosine, std::cos(last), 1e-5f);
    EXPECT_NEAR(cone.someRays[3].sine, std::sin(last), 1e-5f);

    cone.InitForEyecorn(transform, 21.0f, 800.0f);
    EXPECT_EQ(cone.someRays.size(), 11u);
    cone.TestEyecorn(player, transform, -1, 0.0f);
    cone.InitForEyecorn(transform, 7.0f, 800.0f);
    EXPECT_EQ(cone.someRays.size(), 4u);
    // A running countdown keeps the beam alert without a seeing ray.
    EXPECT_FALSE(cone.TestEyecorn(player, transform, -1, 0.5f));
    EXPECT_TRUE(cone.IsAlert());
}
