// The UI art, drawn at the pixel size it takes on the 1600 x 900 canvas: the book and its pages,
// menu buttons and sliders, the pause box, logos, the fade's white texture, the icon and the cursor.
#include "Pack.h"
#include "Palette.h"
#include "Sketches.h"
#include "Writers/CursorWriter.h"

#include <cmath>
#include <string>

namespace Vela::Content
{
    namespace
    {
        using enum Shade;
        const std::string UI = "sprites/UI/";

        // Lettering with a small gold flourish under it: ink on the book's paper, cream on its cover.
        Image BookLabel(Pack& aPack, uint32_t aWidth, uint32_t aHeight, const std::string& aText, uint32_t aSize, Shade anInk = Ink)
        {
            Image image(aWidth, aHeight);
            const float middle = aWidth * 0.5f, width = aPack.BoldFont().Measure(aText, aSize);
            aPack.BoldFont().DrawCentred(image, aText, middle, aHeight * 0.45f, aSize, Color(anInk));
            const float y = aHeight * 0.45f + aSize * 0.62f;
            image.Line(middle - width * 0.45f, y, middle + width * 0.45f, y, 3.0f, Color(Gold));
            image.FillEllipse(middle, y, 5, 5, Color(Gold));
            return image;
        }

        // A plum plate with a gold rim and cream lettering: the pause menu's buttons.
        Image PlateButton(Pack& aPack, uint32_t aWidth, uint32_t aHeight, const std::string& aText)
        {
            Image image(aWidth, aHeight);
            image.FillRoundRect(4, 4, aWidth - 4.0f, aHeight - 4.0f, 22, Color(Leather));
            image.FillRoundRect(4, 4, aWidth - 4.0f, aHeight - 4.0f, 22, Color(Gold), 5);
            aPack.BoldFont().DrawCentred(image, aText, aWidth * 0.5f, aHeight * 0.5f, uint32_t(aHeight * 0.4f), Color(Cream));
            return image;
        }

        // A slider's label: the name above, and a frame whose open middle shows the fill drawn beneath it.
        // The fill's left edge sits 240 left of the centre and its middle 40 below it; the edges stay
        // clear so that wrapped sampling brings nothing in from the opposite side.
        Image SliderLabel(Pack& aPack, const std::string& aText, const Rgba& anInk)
        {
            Image image(520, 128);
            aPack.BoldFont().DrawCentred(image, aText, 260, 42, 34, anInk);
            image.FillRoundRect(14, 84, 506, 124, 14, anInk, 5);
            return image;
        }

        Image Toggle(bool aChecked)
        {
            Image image(64, 64);
            image.FillRoundRect(4, 4, 60, 60, 12, Color(Gold), 6);
            if (aChecked)
            {
                image.Line(16, 33, 28, 46, 7, Color(Teal));
                image.Line(28, 46, 50, 16, 7, Color(Teal));
            }
            return image;
        }

        // Paper with a soft darker edge and faint lines.
        void Paper(Image& anImage, float aLeft, float aRight)
        {
            const float height = float(anImage.Height());
            anImage.FillRoundRect(aLeft, 8, aRight, height - 8, 18, Color(Parchment));
            for (float y = 90; y < height - 60; y += 46)
                anImage.Line(aLeft + 60, y, aRight - 60, y, 1.5f, WithAlpha(Color(ParchmentDark), 110));
            anImage.FillRoundRect(aLeft, 8, aRight, height - 8, 18, Color(ParchmentDark), 10);
        }

        // The open book, drawn centred on the canvas. Its spine lies left of the middle, at canvas x 688,
        // so that the buttons fill the left page and the options' sliders (from x 700) the right one.
        constexpr float SPINE = 608.0f, LEFT_PAGE_CENTRE = 318.0f, RIGHT_PAGE_CENTRE = 1010.0f;

        Image OpenBook()
        {
            Image image(1440, 820, Color(Leather));
            image.FillRoundRect(0, 0, 1440, 820, 28, Color(Gold), 6);
            Paper(image, 36, SPINE - 8);
            Paper(image, SPINE + 8, 1404);
            image.FillRect(SPINE - 8, 10, SPINE + 8, 810, Color(ParchmentDark));
            image.Line(SPINE, 12, SPINE, 808, 3, WithAlpha(Color(Ink), 120));
            return image;
        }

        // The book closed, drawn on a transparent picture the size of the open pages, which is the size
        // the title book draws every page at. The cover takes columns 360..1160: centred on the canvas it
        // lies at x 440..1240, round the credits' "Back" at 1100; the ending draws it at its own size
        // 350 right of the centre, at 790..1590. The spine is on the left of the front, the right of the back.
        constexpr float COVER_LEFT = 360.0f, COVER_RIGHT = 1160.0f, COVER_CENTRE = (COVER_LEFT + COVER_RIGHT) * 0.5f;

        Image ClosedBook(bool aSpineOnLeft)
        {
            Image image(1440, 820);
            image.FillRoundRect(COVER_LEFT, 0, COVER_RIGHT, 820, 28, Color(Leather));
            const float spine = aSpineOnLeft ? COVER_LEFT + 40 : COVER_RIGHT - 40;
            image.FillRect(spine - 4, 6, spine + 4, 814, Mix(Color(Leather), Color(Ink), 0.45f));
            image.FillRoundRect(COVER_LEFT, 0, COVER_RIGHT, 820, 28, Color(Gold), 6);
            const float inner = aSpineOnLeft ? COVER_LEFT + 64 : COVER_LEFT + 24;
            image.FillRoundRect(inner, 28, inner + 712, 792, 16, WithAlpha(Color(Gold), 170), 2);
            return image;
        }

        void TextLines(Pack& aPack, Image& anImage, float aCentreX, float aTop, const std::vector<std::string>& someLines, uint32_t aSize)
        {
            for (size_t i = 0; i < someLines.size(); ++i)
                aPack.RegularFont().DrawCentred(anImage, someLines[i], aCentreX, aTop + float(i) * aSize * 1.5f, aSize, Color(Ink));
        }

        void Book(Pack& aPack)
        {
            Image background(800, 452);
            background.VerticalGradient(0, 452, Color(Night), Mix(Color(Night), Color(Teal), 0.5f));
            for (int i = 0; i < 60; ++i)
                background.FillGlow(float((i * 137) % 800), float((i * 71) % 300), 3.0f + (i % 3), WithAlpha(Color(GlowYellow), 160));
            background.FillEllipse(400, 520, 520, 160, Mix(Color(Night), Color(Moss), 0.35f));
            aPack.SaveDds(UI + "T_UI_Book_Background.DDS", background, DdsFormat::Bc1Srgb);

            // The title sits at the foot of the right page: the options page lays its sliders from the top line down.
            Image pages = OpenBook();
            aPack.BoldFont().DrawCentred(pages, "Mire", RIGHT_PAGE_CENTRE - 30, 752, 48, Color(Ink));
            Orb(pages, RIGHT_PAGE_CENTRE + 60, 748, 14);
            aPack.SaveDds(UI + "T_UI_Book_Pages.DDS", pages, DdsFormat::Bc1Srgb);

            // The level map on the right page: a winding path past five seals where the level buttons sit.
            Image map = OpenBook();
            const float seals[][2] = { { 930, 161 }, { 1239, 317 }, { 936, 416 }, { 1196, 635 }, { 973, 761 } };
            // Canvas y runs up; the page is centred on (800, 450), so its top row lies at canvas y 860.
            auto pageX = [](float aX) { return aX - 80.0f; };
            auto pageY = [](float aY) { return 820.0f - (aY - 40.0f); };
            for (int i = 0; i + 1 < 5; ++i)
                map.Line(pageX(seals[i][0]), pageY(seals[i][1]), pageX(seals[i + 1][0]), pageY(seals[i + 1][1]), 9, WithAlpha(Color(WoodDark), 150));
            aPack.SaveDds(UI + "T_UI_Book_Page_Level_Select.DDS", map, DdsFormat::Bc1Srgb);

            Image intro = OpenBook();
            Player(intro, LEFT_PAGE_CENTRE - 60, 560, 2.2f);
            Orb(intro, LEFT_PAGE_CENTRE + 120, 300, 30);
            TextLines(aPack, intro, RIGHT_PAGE_CENTRE, 170,
                      { "Long ago the lights of the Mire", "went out one by one.", "", "A small wanderer set out", "to carry them home again,",
                        "past the Glomps that walk", "and the Eyecorns that watch." },
                      30);
            aPack.SaveDds(UI + "T_UI_Book_Pages_Intro.DDS", intro, DdsFormat::Bc1Srgb);

            Image outro = OpenBook();
            for (int i = 0; i < 5; ++i)
                Orb(outro, 100.0f + i * 100.0f, 260.0f - 40.0f * std::sin(i * 0.8f), 22);
            Player(outro, LEFT_PAGE_CENTRE, 620, 2.0f);
            TextLines(aPack, outro, RIGHT_PAGE_CENTRE, 200,
                      { "And so the tower shone again,", "and the Mire was never dark", "for long after.", "", "The End" }, 32);
            aPack.SaveDds(UI + "T_UI_Book_Pages_Outro.DDS", outro, DdsFormat::Bc1Srgb);

            // Transparent round the cover: block-compressed with alpha.
            Image front = ClosedBook(true);
            const float frontCentre = COVER_CENTRE + 20;
            aPack.BoldFont().DrawCentred(front, "Mire", frontCentre, 260, 110, Color(Gold));
            Orb(front, frontCentre, 500, 50);
            aPack.SaveDds(UI + "T_UI_Book_Front.DDS", front, DdsFormat::Bc3Srgb);

            // The credits' "Back" button lies on the cover at (1020, 555) of this picture, under the last line.
            Image back = ClosedBook(false);
            const float backCentre = COVER_CENTRE - 20;
            const std::vector<std::string> credits = { "Credits", "", "Made by the Mire team", "on the Vela engine", "", "Lettering: DejaVu Sans",
                                                       "", "Thank you for playing!" };
            for (size_t i = 0; i < credits.size(); ++i)
                aPack.RegularFont().DrawCentred(back, credits[i], backCentre, 120.0f + float(i) * 48.0f, i == 0 ? 44 : 30, Color(Cream));
            aPack.SaveDds(UI + "T_UI_Book_Back.DDS", back, DdsFormat::Bc3Srgb);
        }

        void MainMenu(Pack& aPack)
        {
            const std::pair<const char*, const char*> buttons[] = {
                { "T_UI_Menu_NewGame.DDS", "New Game" }, { "T_UI_Menu_LevelSelect.DDS", "Level Select" }, { "T_UI_Menu_options.DDS", "Options" },
                { "T_UI_Menu_Credits.DDS", "Credits" },  { "T_UI_Menu_Quit.DDS", "Quit" },
            };
            for (const auto& [file, label] : buttons)
                aPack.SaveDds(UI + file, BookLabel(aPack, 360, 112, label, 46), DdsFormat::Bc3Srgb);
            // Only the credits show "Back", on the dark cover of the closed book.
            aPack.SaveDds(UI + "T_UI_Menu_Back.DDS", BookLabel(aPack, 200, 80, "Back", 36, Cream), DdsFormat::Bc3Srgb);
            aPack.SaveDds(UI + "T_UI_Menu_Fullscreen.DDS", BookLabel(aPack, 300, 80, "Fullscreen", 36), DdsFormat::Bc3Srgb);
            // The seal sits on the button's position, where the map's path meets it; its label stands on
            // the side the path does not come from: right of seals 2 and 4, left of 1, 3 and 5.
            for (int level = 1; level <= 5; ++level)
            {
                constexpr float CENTRE = 160.0f, RADIUS = 36.0f, GAP = 12.0f;
                Image seal(320, 88);
                seal.FillEllipse(CENTRE, 44, RADIUS, RADIUS, Color(EyeRed));
                seal.FillEllipse(CENTRE, 44, 28, 28, Color(Gold), 3);
                aPack.BoldFont().DrawCentred(seal, std::to_string(level), CENTRE, 44, 34, Color(Cream));
                const std::string label = level == 1 ? "Start" : level == 5 ? "Tower" : "Level";
                const bool labelRight = level % 2 == 0;
                const float left = labelRight ? CENTRE + RADIUS + GAP : CENTRE - RADIUS - GAP - aPack.BoldFont().Measure(label, 30);
                aPack.BoldFont().DrawLeft(seal, label, left, 44, 30, Color(Ink));
                aPack.SaveDds(UI + "T_UI_LevelSelect_Level" + std::to_string(level) + ".DDS", seal, DdsFormat::Bc3Srgb);
            }
            aPack.SaveDds(UI + "T_UI_Menu_Main_Volume.DDS", SliderLabel(aPack, "Master Volume", Color(Ink)), DdsFormat::Bc3Srgb);
            aPack.SaveDds(UI + "T_UI_Menu_Music.DDS", SliderLabel(aPack, "Music", Color(Ink)), DdsFormat::Bc3Srgb);
            aPack.SaveDds(UI + "T_UI_Menu_SFX_Audio.DDS", SliderLabel(aPack, "Sound Effects", Color(Ink)), DdsFormat::Bc3Srgb);
            // Gold reads on the book's paper and on the pause menu's dark box alike.
            aPack.SaveDds(UI + "T_UI_Fullscreen_Toogle.DDS", Toggle(false), DdsFormat::Bc3Srgb);
            aPack.SaveDds(UI + "T_UI_Fullscreen_Toogle_Button.DDS", Toggle(true), DdsFormat::Bc3Srgb);
        }

        void PauseMenu(Pack& aPack)
        {
            // Drawn at 0.85: 646 x 680 on the canvas, round the pause widgets from y 133 to 692.
            Image box(760, 800);
            box.FillRoundRect(8, 8, 752, 792, 40, WithAlpha(Color(Night), 235));
            box.FillRoundRect(8, 8, 752, 792, 40, Color(Gold), 6);
            box.FillRoundRect(26, 26, 734, 774, 28, WithAlpha(Color(Gold), 120), 2);
            aPack.SaveDds(UI + "T_UI_Menu_BackgroundBox.DDS", box, DdsFormat::Bc3Srgb);
            const std::pair<const char*, const char*> buttons[] = {
                { "T_UI_Resume.DDS", "Resume" }, { "T_UI_Main_Menu.DDS", "Main Menu" }, { "T_UI_Options.DDS", "Options" },
                { "T_UI_Exit.DDS", "Exit" },     { "T_UI_Back.DDS", "Back" },           { "T_UI_Fullscreen.DDS", "Fullscreen" },
            };
            for (const auto& [file, label] : buttons)
                aPack.SaveDds(UI + file, PlateButton(aPack, 400, 120, label), DdsFormat::Bc3Srgb);
            aPack.SavePng(UI + "T_UI_Main_Volume.png", SliderLabel(aPack, "Master Volume", Color(Cream)));
            aPack.SavePng(UI + "T_UI_Music.png", SliderLabel(aPack, "Music", Color(Cream)));
            aPack.SavePng(UI + "T_UI_SFX_Audio.png", SliderLabel(aPack, "Sound Effects", Color(Cream)));
            Image fill(480, 28);
            for (uint32_t x = 0; x < 480; ++x)
                fill.FillRect(float(x), 0, float(x + 1), 28, Mix(Color(Teal), Color(GlowYellow), float(x) / 479.0f));
            Image rounded(480, 28);
            rounded.FillRoundRect(0, 0, 480, 28, 14, Color(White));
            for (uint32_t y = 0; y < 28; ++y)
                for (uint32_t x = 0; x < 480; ++x)
                    fill.Set(x, y, WithAlpha(fill.At(x, y), rounded.At(x, y)[3]));
            aPack.SavePng(UI + "T_UI_Sundbar.png", fill);
            aPack.SavePng(UI + "T_UI_WhiteTexture.png", Image(16, 16, Color(White)));

            Image options(700, 500);
            options.FillRoundRect(6, 6, 694, 494, 36, WithAlpha(Color(Night), 235));
            options.FillRoundRect(6, 6, 694, 494, 36, Color(Gold), 6);
            aPack.BoldFont().DrawCentred(options, "Options", 350, 70, 48, Color(Cream));
            aPack.SavePng("Sprites/UI/T_UI_Options_BackgroundBox.png", options);
        }

        void Logos(Pack& aPack)
        {
            Image background(1600, 900);
            background.VerticalGradient(0, 900, Color(Night), Color(Black));
            aPack.SavePng(UI + "LOGO_background.png", background);

            Image vela(800, 300);
            vela.FillTriangle({ 150, 40 }, { 150, 250 }, { 290, 220 }, Color(Cream)); // a sail
            vela.FillTriangle({ 135, 70 }, { 135, 250 }, { 60, 230 }, Color(Teal));
            vela.Line(142, 30, 142, 262, 6, Color(Gold));
            aPack.BoldFont().DrawLeft(vela, "VELA", 330, 130, 150, Color(Cream));
            aPack.RegularFont().DrawLeft(vela, "engine", 340, 240, 48, Color(Teal));
            aPack.SavePng(UI + "LOGO_VELA.png", vela);

            Image studio(1200, 800); // drawn at half size
            Glomp(studio, 600, 540, 4.0f);
            aPack.BoldFont().DrawCentred(studio, "Glomp Games", 600, 680, 120, Color(Cream));
            aPack.SavePng(UI + "LOGO_GLOMP.png", studio);

            Image title(2400, 1200); // drawn at a quarter size
            title.FillGlow(1200, 560, 700, WithAlpha(Color(Teal), 150));
            Orb(title, 1200, 330, 120);
            aPack.BoldFont().DrawCentred(title, "MIRE", 1200, 760, 520, Color(Cream));
            aPack.RegularFont().DrawCentred(title, "carry the light home", 1200, 1080, 120, Color(GlowYellow));
            aPack.SavePng(UI + "LOGO_invert.png", title);
        }

        void IconAndCursor(Pack& aPack)
        {
            Image icon(64, 64);
            icon.FillRoundRect(2, 2, 62, 62, 14, Color(Night));
            Orb(icon, 32, 32, 12);
            aPack.SavePng("GameIcon.png", icon);

            Image cursor(32, 32);
            const std::array<float, 2> tip = { 1, 1 }, left = { 1, 24 }, right = { 17, 17 };
            cursor.FillTriangle(tip, left, right, Color(Ink));
            cursor.FillTriangle({ 3, 5 }, { 3, 20 }, { 13, 16 }, Color(Gold));
            cursor.Line(8, 18, 13, 28, 5, Color(Ink));
            const std::vector<uint8_t> bytes = EncodeCursor(cursor, 1, 1);
            aPack.SaveBytes(aPack.GameRoot() / "MouseCursor.cur", bytes);
            // The window loads the cursor from the working folder, which is the runtime folder.
            aPack.SaveBytes(aPack.RuntimeDirectory() / "MouseCursor.cur", bytes);
        }
    }

    void MakeUiArt(Pack& aPack)
    {
        Book(aPack);
        MainMenu(aPack);
        PauseMenu(aPack);
        Logos(aPack);
        IconAndCursor(aPack);
    }
}
