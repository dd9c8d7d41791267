// The static models: orb, socket, rotating stair, grass, floors, level blocks, backdrop and the
// Eyecorn's scanner plane, with the textures of their materials.
#include "ContentManifest.h"
#include "ModelKit.h"
#include "Pack.h"

#include <cmath>
#include <string>

namespace Vela::Content
{
    namespace
    {
        using enum Shade;

        const char* ModelFile(size_t anIndex) { return STATIC_MODELS[anIndex].myModel; }

        void SaveModel(Pack& aPack, size_t anIndex, const MeshBuilder& aMesh, const std::vector<std::string>& someMaterials)
        {
            const std::filesystem::path file = ModelFile(anIndex);
            aPack.SaveText(file.string(), BuildStaticModel(file.stem().string(), aMesh, someMaterials));
        }

        MeshBuilder Orb()
        {
            MeshBuilder mesh;
            mesh.SetShade(GlowYellow);
            mesh.Ellipsoid({ 0, 0, 0 }, { 28, 28, 28 }, 16, 10);
            mesh.SetShade(GlowCyan);
            for (int i = 0; i < 3; ++i)
            {
                mesh.SetFrame({ 0, 0, 0 }, 35.0, 60.0 * i);
                mesh.Ellipsoid({ 0, 0, 0 }, { 33, 2.5, 33 }, 16, 3); // three thin rings around the core
            }
            return mesh;
        }

        MeshBuilder Socket()
        {
            MeshBuilder mesh;
            mesh.SetShade(StoneDark);
            mesh.Cylinder({ 0, 0, 0 }, 46, 16);
            mesh.SetShade(Stone);
            mesh.Cylinder({ 0, 16, 0 }, 28, 52);
            mesh.Cylinder({ 0, 68, 0 }, 40, 8);
            mesh.SetShade(StoneDark);
            for (int i = 0; i < 10; ++i)
            {
                const double angle = 2.0 * 3.14159265358979 * i / 10;
                mesh.Box({ 34 * std::cos(angle), 82, 34 * std::sin(angle) }, { 6, 8, 6 }); // the cup's rim, up to 90
            }
            mesh.SetMaterial(1);
            mesh.SetShade(GlowCyan);
            mesh.Box({ 0, 42, -28.5 }, { 10, 14, 1 }); // a glowing rune on the front
            return mesh;
        }

        MeshBuilder Stair()
        {
            MeshBuilder mesh;
            mesh.SetShade(WoodDark);
            mesh.Cylinder({ 0, 0, 0 }, 16, 320);
            for (int step = 0; step < 16; ++step)
            {
                mesh.SetFrame({ 0, 20.0 * step, 0 }, 0.0, 22.5 * step);
                mesh.SetShade(step % 2 ? Wood : Gold);
                mesh.Box({ 55, 5, 0 }, { 45, 5, 18 });
            }
            return mesh;
        }

        MeshBuilder GrassPatch()
        {
            MeshBuilder mesh;
            for (int blade = 0; blade < 18; ++blade)
            {
                const double x = -100 + blade * 11.8, z = (blade % 3 - 1) * 14.0;
                const double height = 40 + 25 * std::abs(std::sin(blade * 1.7));
                mesh.SetShade(blade % 2 ? Grass : GrassDark);
                mesh.SetFrame({ x, 0, z }, std::sin(blade * 2.3) * 14.0);
                mesh.Box({ 0, height * 0.5, 0 }, { 3.5, height * 0.5, 2.0 });
            }
            mesh.SetFrame({ 0, 0, 0 });
            mesh.SetShade(Moss);
            mesh.Box({ 0, 2, 0 }, { 110, 2, 24 });
            return mesh;
        }

        // Planks across a 400 x 30 x 200 floor; a broken floor loses the middle ones and sags at the gap.
        MeshBuilder Floor(bool aBroken)
        {
            MeshBuilder mesh;
            for (int plank = 0; plank < 8; ++plank)
            {
                const double x = -175 + plank * 50;
                if (aBroken && (plank == 3 || plank == 4))
                    continue;
                const double sag = aBroken && (plank == 2 || plank == 5) ? (plank == 2 ? -22.0 : 22.0) : 0.0;
                mesh.SetFrame({ x, 0, 0 }, sag);
                mesh.SetShade(plank % 2 ? Wood : WoodDark);
                mesh.Box({ 0, aBroken && sag != 0.0 ? -4.0 : 0.0, 0 }, { 23, 15, 100 });
            }
            mesh.SetFrame({ 0, 0, 0 });
            mesh.SetShade(Gold);
            if (!aBroken)
                mesh.Box({ 0, 13, -96 }, { 200, 2, 3 }); // the rope along the front edge
            else
            {
                mesh.Box({ -120, 13, -96 }, { 80, 2, 3 });
                mesh.Box({ 120, 13, -96 }, { 80, 2, 3 });
            }
            return mesh;
        }

        // A stone block centred on the origin, 200 deep, with moss on top.
        MeshBuilder Block(double aWidth, double aHeight)
        {
            MeshBuilder mesh;
            const double moss = 8.0;
            mesh.SetWorldUvs(100.0);
            mesh.Box({ 0, -moss * 0.5, 0 }, { aWidth * 0.5, (aHeight - moss) * 0.5, 100 });
            mesh.SetMaterial(1);
            mesh.SetShade(Moss);
            mesh.Box({ 0, aHeight * 0.5 - moss * 0.5, 0 }, { aWidth * 0.5, moss * 0.5, 100 });
            return mesh;
        }

        MeshBuilder Backdrop()
        {
            MeshBuilder mesh;
            mesh.SetWorldUvs(200.0);
            mesh.Polygon({ { -800, -450, 0 }, { 800, -450, 0 }, { 800, 450, 0 }, { -800, 450, 0 } }, { 0, 0, -1 });
            return mesh;
        }

        // A fan in local XZ from the eye (the origin) out to x = 91, facing +y; u runs along the beam.
        MeshBuilder ScannerPlane()
        {
            MeshBuilder mesh;
            const int segments = 8;
            const double length = 91.0, halfWidth = 24.0;
            for (int i = 0; i < segments; ++i)
            {
                const double z0 = -halfWidth + 2 * halfWidth * i / segments, z1 = -halfWidth + 2 * halfWidth * (i + 1) / segments;
                const double v0 = double(i) / segments, v1 = double(i + 1) / segments;
                mesh.Polygon({ { 0, 0, 0 }, { length, 0, z0 }, { length, 0, z1 } }, { 0, 1, 0 }, { { 0, 0.5 }, { 1, 1 - v0 }, { 1, 1 - v1 } });
            }
            return mesh;
        }

        Image StoneImage()
        {
            Image image(128, 128, Color(StoneDark));
            for (int row = 0; row < 4; ++row)
                for (int column = -1; column < 3; ++column)
                {
                    const float left = float(column * 64 + (row % 2) * 32), top = float(row * 32);
                    const Rgba shade = Mix(Color(Stone), Color(Parchment), 0.08f * float((row * 3 + column * 5 + 8) % 4));
                    image.FillRoundRect(left + 2, top + 2, left + 62, top + 30, 5, shade);
                }
            return image;
        }

        Image ScannerImage()
        {
            // Bright at the eye and along the centre line, fading out at the far end and the sides.
            Image image(64, 64);
            for (uint32_t y = 0; y < 64; ++y)
                for (uint32_t x = 0; x < 64; ++x)
                {
                    const float along = (x + 0.5f) / 64.0f, across = std::abs((y + 0.5f) / 64.0f - 0.5f) * 2.0f;
                    const float alpha = (1.0f - along) * (1.0f - across * across) * 0.85f;
                    image.Set(x, y, WithAlpha(Mix(Color(GlowYellow), Color(EyeRed), along), uint8_t(alpha * 255.0f)));
                }
            return image;
        }
    }

    void MakeProps(Pack& aPack)
    {
        SaveModel(aPack, 0, Orb(), { "M_Glow" });
        SaveModel(aPack, 1, Socket(), { "M_Mire", "M_Glow" });
        SaveModel(aPack, 2, Stair(), { "M_Mire" });
        SaveModel(aPack, 3, GrassPatch(), { "M_Mire" });
        SaveModel(aPack, 4, Floor(false), { "M_Mire" });
        SaveModel(aPack, 5, Floor(true), { "M_Mire" });
        const double blocks[][2] = { { 100, 100 }, { 200, 100 }, { 400, 100 }, { 400, 200 }, { 800, 200 }, { 100, 400 } };
        for (size_t i = 0; i < std::size(blocks); ++i)
            SaveModel(aPack, 6 + i, Block(blocks[i][0], blocks[i][1]), { "M_Stone", "M_Mire" });
        SaveModel(aPack, 12, Backdrop(), { "M_Stone" });
        SaveModel(aPack, 13, ScannerPlane(), { "M_Scanner" });

        const Image palette = PaletteImage();
        aPack.SaveDds("models/Props/M_Mire_C.dds", palette, DdsFormat::Rgba8Srgb);
        aPack.SaveDds("models/Props/M_Glow_C.dds", palette, DdsFormat::Rgba8Srgb);
        aPack.SaveDds("models/Props/M_Glow_FX.dds", Image(4, 4, Color(White)), DdsFormat::Rgba8);
        aPack.SaveDds("models/Level/M_Mire_C.dds", palette, DdsFormat::Rgba8Srgb);
        aPack.SaveDds("models/Level/M_Stone_C.dds", StoneImage(), DdsFormat::Rgba8Srgb);
        aPack.SaveDds("visual effects/models/M_Scanner_C.dds", ScannerImage(), DdsFormat::Rgba8Srgb);
    }
}
