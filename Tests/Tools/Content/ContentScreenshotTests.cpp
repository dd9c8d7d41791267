// Draws the content as the game shows it and saves the pictures under <bin>/screenshots: every
// character posed mid-clip, the props, and the UI art laid out on the 1600 x 900 canvas. The
// checks read pixels back: faces wind towards the camera, skinned limbs move, colours survive.
#include "ContentManifest.h"
#include "ContentTestSupport.h"
#include "Pack/Palette.h"

#include "mire/drawers/ModelDrawer.h"
#include "mire/drawers/SpriteDrawer.h"
#include "mire/graphics/Camera.h"
#include "mire/math/MathFunctions.h"

#include <cmath>

namespace
{
    constexpr uint32_t WIDTH = 1600, HEIGHT = 900;

    class ContentScreenshotTest : public VelaTest::ContentTest
    {
    protected:
        uint32_t RenderWidth() const override { return WIDTH; }
        uint32_t RenderHeight() const override { return HEIGHT; }

        // The game's world pass: back buffer with depth, back faces culled, looking along +z from in front.
        void UsePerspective(Vela::Vector3<float> aPosition)
        {
            Vela::DX11::BackBuffer->SetAsActiveTarget(Vela::DX11::BackBufferDepth);
            States().SetBlendState(0);
            States().SetRasterizerState(0);
            myCamera.SetPerspectiveProjection(90.0f, { float(WIDTH), float(HEIGHT) }, 0.5f, 5000.0f);
            myCamera.SetTransform(Vela::Matrix4x4<float>::CreateTranslation(aPosition));
            States().SetCamera(myCamera);
        }

        void UseCanvas()
        {
            myCamera.SetOrthographicProjection(0, float(WIDTH), 0, float(HEIGHT), -1, 1);
            myCamera.SetTransform(Vela::Matrix4x4<float>());
            States().SetCamera(myCamera);
            States().SetBlendState(1);
        }

        // A model posed at a clip's middle (or at aFraction of it), standing at aPosition.
        void DrawPosed(const std::string& aModel, const std::string& aClip, Vela::Vector3<float> aPosition, float aFraction = 0.5f)
        {
            Vela::ModelFactory& factory = Vela::ModelFactory::GetInstance();
            std::shared_ptr<Vela::Model> model = factory.GetModel(aModel);
            ASSERT_TRUE(model) << aModel;
            UseMaterialColours(*model, aModel);
            Vela::AnimatedModelInstance instance = factory.GetAnimatedModelInstance(aModel);
            Vela::AnimationPlayer player = factory.GetAnimationPlayer(aClip, model);
            ASSERT_TRUE(player.GetAnimation()) << aClip;
            player.SetTime(player.GetAnimation()->myDuration * aFraction * 0.999f);
            player.SamplePose();
            instance.Update(player);
            instance.SetTransform(Vela::Matrix4x4<float>::CreateTranslation(aPosition));
            Graphics().GetModelDrawer()->Draw(instance);
        }

        // The pictures show each mesh with its material's own colour texture from beside the model.
        void UseMaterialColours(Vela::Model& aModel, const std::string& aModelFile)
        {
            const std::string folder = std::filesystem::path(aModelFile).parent_path().string() + "/";
            for (size_t i = 0; i < aModel.GetMeshes().size(); ++i)
            {
                Vela::MeshTextures textures = aModel.GetTextures()[i];
                const std::string material = folder + aModel.GetMeshes()[i].myMaterialName;
                textures[0] = Textures().GetTexture((material + "_C.dds").c_str(), Vela::TextureSrgbMode::ForceSrgb);
                if (const Vela::Texture* effects = Textures().LoadTexture((material + "_FX.dds").c_str(), Vela::TextureSrgbMode::IgnoreSrgb))
                    textures[3] = effects;
                aModel.SetMeshTextures(i, textures);
            }
        }

        void DrawStatic(const std::string& aModel, const Vela::Matrix4x4<float>& aTransform)
        {
            std::shared_ptr<Vela::Model> model = Vela::ModelFactory::GetInstance().GetModel(aModel);
            ASSERT_TRUE(model) << aModel;
            UseMaterialColours(*model, aModel);
            Vela::ModelInstance instance = Vela::ModelFactory::GetInstance().GetModelInstance(aModel);
            instance.SetTransform(aTransform);
            Graphics().GetModelDrawer()->Draw(instance);
        }

        // A sprite as the menus place it: centred on a canvas point, at its texture size times a scale.
        void DrawSprite(const char* aTexture, float aX, float aY, float aScale = 1.0f, float aFill = 1.0f, Vela::Vector2<float> aPivot = { 0.5f, 0.5f })
        {
            Vela::SpriteSharedData shared;
            shared.myColorTexture = Textures().GetTexture(aTexture);
            ASSERT_FALSE(shared.myColorTexture->IsPlaceholder()) << aTexture;
            const Vela::TextureSize size = shared.myColorTexture->GetSize();
            Vela::SpriteInstance sprite;
            sprite.myPosition = { aX, aY };
            sprite.myPivot = aPivot;
            sprite.mySize = { float(size.width), float(size.height) };
            sprite.myScale = { aScale * aFill, aScale };
            auto batch = Graphics().GetSpriteDrawer()->BeginBatch(shared);
            batch.Draw(sprite);
        }

        // A sprite drawn at another texture's size, as the title book draws every page it swaps in.
        void DrawSpriteAtSizeOf(const char* aTexture, const char* aSizeTexture, float aX, float aY)
        {
            Vela::SpriteSharedData shared;
            shared.myColorTexture = Textures().GetTexture(aTexture);
            const Vela::TextureSize size = Textures().GetTexture(aSizeTexture)->GetSize();
            Vela::SpriteInstance sprite;
            sprite.myPosition = { aX, aY };
            sprite.myPivot = { 0.5f, 0.5f };
            sprite.mySize = { float(size.width), float(size.height) };
            auto batch = Graphics().GetSpriteDrawer()->BeginBatch(shared);
            batch.Draw(sprite);
        }

        struct PlacedSprite
        {
            const char* myTexture;
            float myX, myY;
            float myScale = 1.0f;
        };

        void DrawSprites(std::initializer_list<PlacedSprite> someSprites)
        {
            for (const PlacedSprite& sprite : someSprites)
                DrawSprite(sprite.myTexture, sprite.myX, sprite.myY, sprite.myScale);
        }

        // A slider as the menus build it: the fill first, its left edge at (-240, -40) from the label, then the label.
        void DrawSlider(const char* aLabel, float aX, float aY, float aScale, float aValue)
        {
            DrawSprite("sprites/UI/T_UI_Sundbar.png", aX - 240.0f * aScale, aY - 40.0f * aScale, aScale, aValue, { 0.0f, 0.5f });
            DrawSprite(aLabel, aX, aY, aScale);
        }

        // The columns and rows of pixels that differ from the black clear colour.
        struct Extent
        {
            uint32_t left = WIDTH, right = 0, top = HEIGHT, bottom = 0;
            uint32_t Width() const { return right >= left ? right - left : 0; }
            uint32_t Height() const { return bottom >= top ? bottom - top : 0; }
        };

        Extent LitExtent(const std::vector<uint8_t>& somePixels) const
        {
            Extent extent;
            for (uint32_t y = 0; y < HEIGHT; ++y)
                for (uint32_t x = 0; x < WIDTH; ++x)
                {
                    const VelaTest::Rgba pixel = Pixel(somePixels, x, y);
                    if (pixel[0] + pixel[1] + pixel[2] > 0)
                    {
                        extent.left = std::min(extent.left, x);
                        extent.right = std::max(extent.right, x);
                        extent.top = std::min(extent.top, y);
                        extent.bottom = std::max(extent.bottom, y);
                    }
                }
            return extent;
        }

        static bool Near(const VelaTest::Rgba& aPixel, const Vela::Content::Rgba& aColor, int aTolerance)
        {
            for (size_t i = 0; i < 3; ++i)
                if (std::abs(aPixel[i] - int(aColor[i])) > aTolerance)
                    return false;
            return true;
        }

        Vela::Camera myCamera;
    };
}

TEST_F(ContentScreenshotTest, CharactersPosedMidClip)
{
    // The player in every clip, seven to a row, in clip order.
    BeginFrame();
    States().Push();
    UsePerspective({ 0.0f, 40.0f, -420.0f });
    const auto& player = Vela::Content::ANIMATED_MODELS[0];
    for (size_t i = 0; i < player.myClips.size(); ++i)
        DrawPosed(player.myModel, player.myClips[i].myFile, { -330.0f + 110.0f * float(i % 7), i < 7 ? 90.0f : -120.0f, 0.0f });
    States().Pop();
    const std::vector<uint8_t> players = ReadBackBuffer();
    SaveScreenshot("content_player_clips.png", players);
    EXPECT_GT(LitExtent(players).Width(), WIDTH / 2);

    // The snail box in its nine clips, then the Glomp's three and the Eyecorn's four.
    BeginFrame();
    States().Push();
    UsePerspective({ 0.0f, 60.0f, -700.0f });
    for (size_t model = 1; model < 4; ++model)
    {
        const auto& file = Vela::Content::ANIMATED_MODELS[model];
        for (size_t i = 0; i < file.myClips.size(); ++i)
        {
            const float x = model == 1 ? -560.0f + 140.0f * float(i) : (model == 2 ? -520.0f : -20.0f) + 150.0f * float(i);
            DrawPosed(file.myModel, file.myClips[i].myFile, { x, model == 1 ? 130.0f : -160.0f, 0.0f });
        }
    }
    States().Pop();
    const std::vector<uint8_t> creatures = ReadBackBuffer();
    SaveScreenshot("content_creatures_clips.png", creatures);
    EXPECT_GT(LitExtent(creatures).Width(), WIDTH / 2);
}

TEST_F(ContentScreenshotTest, SkinnedPlayerFallsOverAtTheEndOfItsDeath)
{
    const auto& player = Vela::Content::ANIMATED_MODELS[0];
    auto draw = [&](const char* aClip, float aFraction) {
        BeginFrame();
        States().Push();
        UsePerspective({ 0.0f, 50.0f, -150.0f });
        DrawPosed(player.myModel, aClip, { 0.0f, 0.0f, 0.0f }, aFraction);
        States().Pop();
        const std::vector<uint8_t> pixels = ReadBackBuffer();
        SaveScreenshot("content_player_" + std::filesystem::path(aClip).stem().string() + ".png", pixels);
        return LitExtent(pixels);
    };
    draw("models/Player/Anim_Player_Crouch.fbx", 0.5f);
    draw("models/Player/Anim_Player_Fall.fbx", 0.5f);
    const Extent standing = draw("models/Player/Anim_Player_Idle.fbx", 0.0f);
    const Extent fallen = draw("models/Player/Anim_Player_Death.fbx", 1.0f);
    EXPECT_GT(standing.Height(), standing.Width());
    EXPECT_GT(fallen.Width(), fallen.Height());
}

TEST_F(ContentScreenshotTest, PropsAndFacesWoundTowardsTheCamera)
{
    BeginFrame();
    States().Push();
    UsePerspective({ 0.0f, 100.0f, -900.0f });
    const char* row[] = { "models/Props/SM_Orb.fbx", "models/Props/SM_Socket.fbx", "models/Props/SM_Grass.fbx", "models/Props/SM_RotatingStair.fbx" };
    for (size_t i = 0; i < std::size(row); ++i)
        DrawStatic(row[i], Vela::Matrix4x4<float>::CreateTranslation({ -700.0f + 330.0f * float(i), i == 0 ? 300.0f : 200.0f, 0.0f }));
    DrawStatic("models/Props/SM_Floor_Intact.fbx", Vela::Matrix4x4<float>::CreateTranslation({ -450.0f, 0.0f, 0.0f }));
    DrawStatic("models/Props/SM_Floor_Broken.fbx", Vela::Matrix4x4<float>::CreateTranslation({ 100.0f, 0.0f, 0.0f }));
    const char* blocks[] = { "models/Level/SM_Block_100x100.fbx", "models/Level/SM_Block_200x100.fbx", "models/Level/SM_Block_400x100.fbx",
                             "models/Level/SM_Block_100x400.fbx" };
    for (size_t i = 0; i < std::size(blocks); ++i)
        DrawStatic(blocks[i], Vela::Matrix4x4<float>::CreateTranslation({ -700.0f + 300.0f * float(i), -250.0f, 0.0f }));
    DrawStatic("models/Level/SM_Block_800x200.fbx", Vela::Matrix4x4<float>::CreateTranslation({ 700.0f, -250.0f, 0.0f }));
    States().Pop();
    SaveScreenshot("content_props.png", ReadBackBuffer());

    // A single quad is drawn from its front only, with back faces culled: it faces the camera (-z)
    // and disappears when turned round.
    auto backdropCovers = [&](float aYaw) {
        BeginFrame();
        States().Push();
        UsePerspective({ 0.0f, 0.0f, -400.0f });
        DrawStatic("models/Level/SM_Backdrop.fbx", Vela::Matrix4x4<float>::CreateRotationAroundY(aYaw));
        States().Pop();
        const VelaTest::Rgba centre = Pixel(ReadBackBuffer(), WIDTH / 2, HEIGHT / 2);
        return centre[0] + centre[1] + centre[2] > 0;
    };
    EXPECT_TRUE(backdropCovers(0.0f));
    EXPECT_FALSE(backdropCovers(3.14159265f));
}

TEST_F(ContentScreenshotTest, TheScannerPlaneReachesFromTheEyecornAlongItsSweep)
{
    // Placed as the sight cone places it: turned by Euler (-90, 0, sweep - 90) and scaled by
    // (s, 0, s) with s = sight distance x 0.011, here a sweep of 30 degrees and a sight of 300.
    const float sweep = 30.0f, sight = 300.0f, scale = sight * 0.011f;
    const Vela::Vector3<float> eye = { 0.0f, 0.0f, 0.0f };
    Vela::Matrix4x4<float> transform = Vela::Matrix4x4<float>::CreateTranslation(eye);
    Vela::RotationFromEulerDegrees(transform, { -90.0f, 0.0f, sweep - 90.0f });
    for (int column = 1; column <= 3; ++column)
    {
        transform(1, column) *= scale;
        transform(2, column) = 0.0f;
        transform(3, column) *= scale;
    }
    // Lit by its own colour, whatever the lights: the effects slot takes a white texture.
    const char* plane = "visual effects/models/SM_ScannerPlane.fbx";
    std::shared_ptr<Vela::Model> model = Vela::ModelFactory::GetInstance().GetModel(plane);
    ASSERT_TRUE(model);
    Vela::MeshTextures textures = model->GetTextures()[0];
    textures[0] = Textures().GetTexture("visual effects/models/M_Scanner_C.dds", Vela::TextureSrgbMode::ForceSrgb);
    textures[3] = Textures().GetTexture("models/Props/M_Glow_FX.dds");
    model->SetMeshTextures(0, textures);

    BeginFrame();
    States().Push();
    UsePerspective({ 0.0f, -100.0f, -400.0f });
    DrawPosed("models/Eyecorn/SK_Eyecorn.fbx", "models/Eyecorn/Anim_Eyecorn_Idle.fbx", eye);
    Vela::ModelInstance instance = Vela::ModelFactory::GetInstance().GetModelInstance(plane);
    instance.SetTransform(transform);
    Graphics().GetModelDrawer()->Draw(instance);
    States().Pop();
    const std::vector<uint8_t> pixels = ReadBackBuffer();
    SaveScreenshot("content_scanner_plane.png", pixels);

    // The sight rays of a sweep of 30 degrees leave at -60 degrees: down and to the right of the eye.
    auto litAt = [&](float aX, float aY) {
        // The camera looks along +z from 400 in front, 100 below the eye, with a 90-degree field of view.
        const float column = WIDTH * 0.5f + aX / 400.0f * WIDTH * 0.5f;
        const float row = HEIGHT * 0.5f - (aY + 100.0f) / 400.0f * WIDTH * 0.5f;
        const VelaTest::Rgba pixel = Pixel(pixels, uint32_t(column), uint32_t(row));
        return pixel[0] + pixel[1] + pixel[2] > 0;
    };
    const float along = 0.5f * sight;
    EXPECT_TRUE(litAt(along * 0.5f, -along * 0.866f));
    EXPECT_FALSE(litAt(-along * 0.5f, -along * 0.866f));
}

TEST_F(ContentScreenshotTest, BookMenusOnTheCanvas)
{
    BeginFrame();
    States().Push();
    UseCanvas();
    DrawSprite("sprites/UI/T_UI_Book_Background.DDS", 800, 450, 2.0f);
    DrawSprite("sprites/UI/T_UI_Book_Page_Level_Select.DDS", 800, 450);
    DrawSprites({ { "sprites/UI/T_UI_Menu_NewGame.DDS", 490, 735 },
                  { "sprites/UI/T_UI_Menu_LevelSelect.DDS", 500, 590 },
                  { "sprites/UI/T_UI_Menu_options.DDS", 505, 445 },
                  { "sprites/UI/T_UI_Menu_Credits.DDS", 500, 305 },
                  { "sprites/UI/T_UI_Menu_Quit.DDS", 485, 165 },
                  { "sprites/UI/T_UI_LevelSelect_Level1.DDS", 930, 161 },
                  { "sprites/UI/T_UI_LevelSelect_Level2.DDS", 1239, 317 },
                  { "sprites/UI/T_UI_LevelSelect_Level3.DDS", 936, 416 },
                  { "sprites/UI/T_UI_LevelSelect_Level4.DDS", 1196, 635 },
                  { "sprites/UI/T_UI_LevelSelect_Level5.DDS", 973, 761 } });
    States().Pop();
    const std::vector<uint8_t> menu = ReadBackBuffer();
    SaveScreenshot("content_ui_main_menu.png", menu);
    // The paper survives block compression: a bare spot of the left page keeps the palette's parchment.
    const VelaTest::Rgba paper = Pixel(menu, 250, 900 - 380);
    EXPECT_TRUE(Near(paper, Vela::Content::Color(Vela::Content::Shade::Parchment), 14)) << paper[0] << " " << paper[1] << " " << paper[2];

    // The options page as the menu lays it out for a 1600 x 900 render size.
    BeginFrame();
    States().Push();
    UseCanvas();
    DrawSprite("sprites/UI/T_UI_Book_Background.DDS", 800, 450, 2.0f);
    DrawSprite("sprites/UI/T_UI_Book_Pages.DDS", 800, 450);
    DrawSlider("sprites/UI/T_UI_Menu_Main_Volume.DDS", 940, 900 / 1.5f, 1.0f, 0.8f);
    DrawSlider("sprites/UI/T_UI_Menu_SFX_Audio.DDS", 940, 900 / 1.95f, 1.0f, 0.5f);
    DrawSlider("sprites/UI/T_UI_Menu_Music.DDS", 940, 900 / 2.7f, 1.0f, 0.25f);
    DrawSprite("sprites/UI/T_UI_Menu_Fullscreen.DDS", 975, 180);
    DrawSprite("sprites/UI/T_UI_Fullscreen_Toogle.DDS", 725, 180);
    DrawSprite("sprites/UI/T_UI_Fullscreen_Toogle_Button.DDS", 725, 180);
    States().Pop();
    const std::vector<uint8_t> options = ReadBackBuffer();
    SaveScreenshot("content_ui_options.png", options);
    // The fill shows through the label's frame just right of its start, and the frame stops it at full.
    const VelaTest::Rgba fill = Pixel(options, 940 - 240 + 6, 900 - 600 + 40);
    EXPECT_TRUE(Near(fill, Vela::Content::Color(Vela::Content::Shade::Teal), 30)) << fill[0] << " " << fill[1] << " " << fill[2];
}

TEST_F(ContentScreenshotTest, PauseMenuEndingAndLogosOnTheCanvas)
{
    BeginFrame();
    States().Push();
    UseCanvas();
    DrawSprite("sprites/UI/LOGO_background.png", 800, 450);
    DrawSprite("sprites/UI/T_UI_Menu_BackgroundBox.DDS", 800, 450, 0.85f);
    DrawSlider("sprites/UI/T_UI_Main_Volume.png", 800, 900 / 1.37f, 0.7f, 1.0f);
    DrawSlider("sprites/UI/T_UI_Music.png", 800, 900 / 1.69f, 0.7f, 0.6f);
    DrawSlider("sprites/UI/T_UI_SFX_Audio.png", 800, 400, 0.7f, 0.3f);
    DrawSprites({ { "sprites/UI/T_UI_Fullscreen.DDS", 820, 300, 0.7f },
                  { "sprites/UI/T_UI_Fullscreen_Toogle.DDS", 620, 300, 0.7f },
                  { "sprites/UI/T_UI_Back.DDS", 800, 175, 0.7f },
                  // The main page's buttons, set aside to the right.
                  { "sprites/UI/T_UI_Resume.DDS", 1380, 650, 0.7f },
                  { "sprites/UI/T_UI_Main_Menu.DDS", 1380, 500, 0.7f },
                  { "sprites/UI/T_UI_Options.DDS", 1380, 350, 0.7f },
                  { "sprites/UI/T_UI_Exit.DDS", 1380, 200, 0.7f },
                  { "Sprites/UI/T_UI_Options_BackgroundBox.png", 220, 450, 0.4f } });
    States().Pop();
    SaveScreenshot("content_ui_pause.png", ReadBackBuffer());

    BeginFrame();
    States().Push();
    UseCanvas();
    // The ending's pages, the covers, the logos and two flipbook sheets, at reduced sizes.
    DrawSprites({ { "sprites/UI/T_UI_Book_Background.DDS", 800, 450, 2.0f },
                  { "sprites/UI/T_UI_Book_Pages_Intro.DDS", 800, 450, 0.5f },
                  { "sprites/UI/T_UI_Book_Pages_Outro.DDS", 800, 230, 0.5f },
                  { "sprites/UI/T_UI_Book_Back.DDS", 1350, 450, 0.5f },
                  { "sprites/UI/T_UI_Book_Front.DDS", 215, 450, 0.5f },
                  { "sprites/UI/LOGO_VELA.png", 400, 800, 0.5f },
                  { "sprites/UI/LOGO_GLOMP.png", 800, 780, 0.25f },
                  { "sprites/UI/LOGO_invert.png", 1200, 790, 0.125f },
                  { "visual effects/textures/T_flipbook_orb_glow.DDS", 1450, 130, 0.4f },
                  { "visual effects/textures/T_S_Player_MovePoof.DDS", 120, 130, 0.8f } });
    States().Pop();
    SaveScreenshot("content_ui_book_and_logos.png", ReadBackBuffer());
}

namespace
{
    float Luminance(const std::array<double, 3>& aColor)
    {
        std::array<double, 3> linear{};
        for (size_t i = 0; i < 3; ++i)
        {
            const double c = aColor[i] / 255.0;
            linear[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return float(0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]);
    }

    int Lightness(const VelaTest::Rgba& aPixel)
    {
        return (aPixel[0] * 2126 + aPixel[1] * 7152 + aPixel[2] * 722) / 10000;
    }
}

TEST_F(ContentScreenshotTest, CreditsPageAndLevelSelectAsTheTitleBookDrawsThem)
{
    constexpr const char* PAGES = "sprites/UI/T_UI_Book_Pages.DDS";
    constexpr const char* BACK = "sprites/UI/T_UI_Book_Back.DDS";
    // The book swaps only the page's texture, so the covers must be the pages' size to keep their shape.
    const Vela::TextureSize pages = Textures().GetTexture(PAGES)->GetSize();
    for (const char* cover : { BACK, "sprites/UI/T_UI_Book_Front.DDS" })
    {
        const Vela::TextureSize size = Textures().GetTexture(cover)->GetSize();
        EXPECT_EQ(size.width, pages.width) << cover;
        EXPECT_EQ(size.height, pages.height) << cover;
    }

    // The credits page, and its "Back" (1100, 305) alone over black and over white: the label's
    // opaque pixels are those the two agree on. Nearly all of them must stand out from the cover
    // beneath by at least 4.5 : 1 in luminance.
    const auto draw = [this](bool aCover, const char* anUnderlay, bool aLabel) {
        BeginFrame();
        States().Push();
        UseCanvas();
        if (aCover)
        {
            DrawSprite("sprites/UI/T_UI_Book_Background.DDS", 800, 450, 2.0f);
            DrawSpriteAtSizeOf(BACK, PAGES, 800, 450);
        }
        if (anUnderlay)
            DrawSprite(anUnderlay, 1100, 305, 16.0f);
        if (aLabel)
            DrawSprite("sprites/UI/T_UI_Menu_Back.DDS", 1100, 305);
        States().Pop();
        return ReadBackBuffer();
    };
    SaveScreenshot("content_ui_credits.png", draw(true, nullptr, true));
    const std::vector<uint8_t> beneath = draw(true, nullptr, false);
    const std::vector<uint8_t> overBlack = draw(false, nullptr, true);
    const std::vector<uint8_t> overWhite = draw(false, "sprites/UI/T_UI_WhiteTexture.png", true);
    int opaque = 0, readable = 0;
    for (uint32_t y = HEIGHT - 345; y < HEIGHT - 265; ++y)
        for (uint32_t x = 1000; x < 1200; ++x)
        {
            const VelaTest::Rgba black = Pixel(overBlack, x, y), white = Pixel(overWhite, x, y);
            if (std::max({ std::abs(white[0] - black[0]), std::abs(white[1] - black[1]), std::abs(white[2] - black[2]) }) > 20)
                continue;
            ++opaque;
            const VelaTest::Rgba under = Pixel(beneath, x, y);
            const float label = Luminance({ double(black[0]), double(black[1]), double(black[2]) });
            const float page = Luminance({ double(under[0]), double(under[1]), double(under[2]) });
            readable += (std::max(label, page) + 0.05f) / (std::min(label, page) + 0.05f) >= 4.5f ? 1 : 0;
        }
    ASSERT_GT(opaque, 100);
    EXPECT_GE(readable, opaque * 9 / 10) << readable << " of " << opaque << " lettering pixels stand out from the cover";

    // The ending lays the back cover at its own size 350 right of the centre: it stays on the screen.
    BeginFrame();
    States().Push();
    UseCanvas();
    DrawSprite(BACK, 1150, 450);
    States().Pop();
    const std::vector<uint8_t> endingPage = ReadBackBuffer();
    SaveScreenshot("content_ui_ending_back.png", endingPage);
    const Extent ending = LitExtent(endingPage);
    EXPECT_GT(ending.left, 0u);
    EXPECT_LT(ending.right, WIDTH - 1);

    // Level select, without and with its seals. A seal's label (ink) keeps clear of the red seal, and
    // the path drawn on the page (far darker than the paper and its ruled lines) runs under no label.
    struct Seal
    {
        const char* myTexture;
        float myX, myY;
    };
    const Seal seals[] = { { "sprites/UI/T_UI_LevelSelect_Level1.DDS", 930, 161 }, { "sprites/UI/T_UI_LevelSelect_Level2.DDS", 1239, 317 },
                           { "sprites/UI/T_UI_LevelSelect_Level3.DDS", 936, 416 }, { "sprites/UI/T_UI_LevelSelect_Level4.DDS", 1196, 635 },
                           { "sprites/UI/T_UI_LevelSelect_Level5.DDS", 973, 761 } };
    const auto drawLevelSelect = [&](bool aWithSeals) {
        BeginFrame();
        States().Push();
        UseCanvas();
        DrawSprite("sprites/UI/T_UI_Book_Background.DDS", 800, 450, 2.0f);
        DrawSprite("sprites/UI/T_UI_Book_Page_Level_Select.DDS", 800, 450);
        if (aWithSeals)
            for (const Seal& seal : seals)
                DrawSprite(seal.myTexture, seal.myX, seal.myY);
        States().Pop();
        return ReadBackBuffer();
    };
    const std::vector<uint8_t> map = drawLevelSelect(false);
    const std::vector<uint8_t> levelSelect = drawLevelSelect(true);
    SaveScreenshot("content_ui_level_select.png", levelSelect);
    const int paper = Lightness({ 242, 228, 196, 255 });
    using Vela::Content::Color;
    using Vela::Content::Shade;
    for (const Seal& seal : seals)
    {
        SCOPED_TRACE(seal.myTexture);
        const Vela::TextureSize size = Textures().GetTexture(seal.myTexture)->GetSize();
        const int left = int(seal.myX - size.width / 2.0f), right = int(seal.myX + size.width / 2.0f);
        const int top = int(HEIGHT - seal.myY - size.height / 2.0f), bottom = int(HEIGHT - seal.myY + size.height / 2.0f);
        std::vector<std::array<int, 2>> ink, red;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
            {
                const VelaTest::Rgba pixel = Pixel(levelSelect, uint32_t(x), uint32_t(y));
                if (Near(pixel, Color(Shade::Ink), 40) && !Near(Pixel(map, uint32_t(x), uint32_t(y)), Color(Shade::Ink), 40))
                    ink.push_back({ x, y });
                else if (Near(pixel, Color(Shade::EyeRed), 40))
                    red.push_back({ x, y });
            }
        ASSERT_GT(ink.size(), 50u);
        ASSERT_GT(red.size(), 50u);
        double centreX = 0, centreY = 0;
        for (const auto& [x, y] : red)
        {
            centreX += x;
            centreY += y;
        }
        centreX /= double(red.size());
        centreY /= double(red.size());
        double radius = 0, nearestInk = 1e9;
        for (const auto& [x, y] : red)
            radius = std::max(radius, std::hypot(x - centreX, y - centreY));
        int underPath = 0;
        for (const auto& [x, y] : ink)
        {
            nearestInk = std::min(nearestInk, std::hypot(x - centreX, y - centreY));
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx)
                    underPath += Lightness(Pixel(map, uint32_t(x + dx), uint32_t(y + dy))) < paper - 50 ? 1 : 0;
        }
        EXPECT_GT(nearestInk, radius + 4.0) << "the label keeps clear of its seal";
        EXPECT_EQ(underPath, 0) << "the path runs under the label";
    }
}
