// The skinned characters: the player, the snail box, the Glomp and the Eyecorn, with their clips.
// Every point follows one bone; bones bind without rotation, so clips rotate them about their joints.
#include "ContentManifest.h"
#include "ModelKit.h"
#include "Pack.h"

#include <algorithm>
#include <cmath>

namespace Vela::Content
{
    namespace
    {
        using enum Shade;

        int BoneIndex(const std::vector<Bone>& someBones, const std::string& aName)
        {
            for (size_t i = 0; i < someBones.size(); ++i)
                if (someBones[i].myName == aName)
                    return int(i);
            return 0;
        }

        void SaveCharacter(Pack& aPack, const AnimatedModelFile& aFile, const std::vector<Bone>& someBones, const MeshBuilder& aMesh,
                           const std::vector<ClipSpec>& someClips, const std::vector<NullNode>& someNulls = {})
        {
            aPack.SaveText(aFile.myModel, BuildSkinnedModel(someBones, aMesh, { "M_Mire" }, someNulls));
            aPack.SaveDds((std::filesystem::path(aFile.myModel).parent_path() / "M_Mire_C.dds").string(), PaletteImage(), DdsFormat::Rgba8Srgb);
            for (size_t i = 0; i < someClips.size(); ++i)
            {
                ClipSpec clip = someClips[i];
                clip.myFile = aFile.myClips[i].myFile;
                aPack.SaveText(clip.myFile, BuildClip(someBones, clip));
            }
        }

        // ---- The player: a small wanderer in an orange cloak with a teal scarf. ----

        const std::vector<Bone> PLAYER_BONES = {
            { "Hips", -1, { 0, 40, 0 } },    { "Spine", 0, { 0, 50, 0 } },    { "Head", 1, { 0, 66, 0 } },   { "Arm_L", 1, { 0, 62, 12 } },
            { "Arm_R", 1, { 0, 62, -12 } }, { "Leg_L", 0, { 0, 34, 6 } }, { "Leg_R", 0, { 0, 34, -6 } },
        };

        MeshBuilder PlayerMesh()
        {
            const auto& bones = PLAYER_BONES;
            MeshBuilder mesh;
            for (const char* side : { "L", "R" })
            {
                const double z = side[0] == 'L' ? 6.0 : -6.0;
                mesh.SetBone(BoneIndex(bones, std::string("Leg_") + side));
                mesh.SetShade(Night);
                mesh.Box({ 0, 19, z }, { 4.5, 15, 4 });
                mesh.SetShade(WoodDark);
                mesh.Box({ 3, 3, z }, { 7, 3, 4.5 });
                mesh.SetBone(BoneIndex(bones, std::string("Arm_") + side));
                mesh.SetShade(Orange);
                mesh.Box({ 0, 53, z * 2.2 }, { 3.8, 9, 3.8 });
                mesh.SetShade(Cream);
                mesh.Ellipsoid({ 0, 42, z * 2.2 }, { 4.5, 4.5, 4.5 }, 8, 6);
            }
            mesh.SetBone(BoneIndex(bones, "Hips"));
            mesh.SetShade(Orange);
            mesh.Ellipsoid({ 0, 44, 0 }, { 17, 14, 14 });
            mesh.SetBone(BoneIndex(bones, "Spine"));
            mesh.Ellipsoid({ 0, 54, 0 }, { 14, 12, 12 });
            mesh.SetShade(Teal);
            mesh.Box({ 0, 64, 0 }, { 13, 3.5, 11 });
            mesh.Box({ -11, 56, 5 }, { 3, 8, 2.5 }); // the scarf's tail flies behind
            mesh.SetBone(BoneIndex(bones, "Head"));
            mesh.SetShade(Cream);
            mesh.Ellipsoid({ 0, 78, 0 }, { 17, 18.2, 16 }); // the top of the head is the model's top: 96.2
            mesh.SetShade(Orange);
            mesh.Ellipsoid({ -7, 85, 0 }, { 14.5, 11, 16.5 }); // the hood
            mesh.SetShade(Ink);
            mesh.Ellipsoid({ 14.5, 78, 5.5 }, { 2.6, 4.2, 2.6 }, 8, 6);
            mesh.Ellipsoid({ 14.5, 78, -5.5 }, { 2.6, 4.2, 2.6 }, 8, 6);
            mesh.SetShade(ShellPink);
            mesh.Ellipsoid({ 13, 71, 9 }, { 2, 1.5, 2.5 }, 6, 4);
            mesh.Ellipsoid({ 13, 71, -9 }, { 2, 1.5, 2.5 }, 6, 4);
            return mesh;
        }

        // A turn about z: positive swings a hanging limb forward (+x), negative tips an upright bone forward.
        BonePose Turn(double aDegrees) { return { { 0, 0, 0 }, { 0, 0, aDegrees } }; }
        BonePose Move(double aY, double aDegrees = 0.0) { return { { 0, aY, 0 }, { 0, 0, aDegrees } }; }

        // The crouched pose, blended in by aAmount (0 standing, 1 crouched).
        Pose Crouched(double anAmount, double aLegSwing = 0.0)
        {
            return { { "Hips", Move(-16 * anAmount) },
                     { "Spine", Turn(-18 * anAmount) },
                     { "Head", Turn(10 * anAmount) },
                     { "Leg_L", Turn(55 * anAmount + aLegSwing) },
                     { "Leg_R", Turn(-35 * anAmount - aLegSwing) },
                     { "Arm_L", Turn(30 * anAmount) },
                     { "Arm_R", Turn(30 * anAmount) } };
        }

        Pose Walking(double aTime, double aPeriod, double aLegs, double aArms, double aLean, double aBob)
        {
            return { { "Hips", Move(std::abs(Swing(aTime, aPeriod, aBob))) },
                     { "Spine", Turn(aLean) },
                     { "Leg_L", Turn(Swing(aTime, aPeriod, aLegs)) },
                     { "Leg_R", Turn(-Swing(aTime, aPeriod, aLegs)) },
                     { "Arm_L", Turn(-Swing(aTime, aPeriod, aArms)) },
                     { "Arm_R", Turn(Swing(aTime, aPeriod, aArms)) } };
        }

        std::vector<ClipSpec> PlayerClips()
        {
            return {
                { "", 2.0, [](double t) { return Pose{ { "Hips", Move(Swing(t, 2.0, 0.8)) }, { "Spine", Turn(Swing(t, 2.0, 2.0)) },
                                                       { "Head", Turn(Swing(t, 2.0, 3.0, 0.25)) }, { "Arm_L", Turn(Swing(t, 2.0, 4.0)) },
                                                       { "Arm_R", Turn(-Swing(t, 2.0, 4.0)) } }; } },
                { "", 0.6, [](double t) { return Walking(t, 0.6, 38, 34, -10, 3.0); } },
                { "", 1.6, [](double t) { Pose pose = Crouched(1.0); pose["Spine"] = Turn(-18 + Swing(t, 1.6, 2.0)); return pose; } },
                { "", 0.8, [](double t) { return Crouched(1.0, Swing(t, 0.8, 14)); } },
                { "", 0.3, [](double t) { const double up = Ease(0, 1, t, 0.3);
                                          return Pose{ { "Hips", Move(4 * up) }, { "Arm_L", Turn(-150 * up) }, { "Arm_R", Turn(-140 * up) },
                                                       { "Leg_L", Turn(-20 * up) }, { "Leg_R", Turn(25 * up) } }; } },
                { "", 0.6, [](double t) { return Pose{ { "Arm_L", Turn(-140 + Swing(t, 0.6, 12)) }, { "Arm_R", Turn(-130 - Swing(t, 0.6, 12)) },
                                                       { "Leg_L", Turn(-15 + Swing(t, 0.6, 6)) }, { "Leg_R", Turn(20 - Swing(t, 0.6, 6)) } }; } },
                { "", 0.3, [](double t) { const double squash = std::sin(3.14159265 * std::clamp(t / 0.3, 0.0, 1.0));
                                          return Pose{ { "Hips", Move(-10 * squash) }, { "Spine", Turn(-12 * squash) },
                                                       { "Leg_L", Turn(30 * squash) }, { "Leg_R", Turn(-25 * squash) },
                                                       { "Arm_L", Turn(-40 * squash) }, { "Arm_R", Turn(-40 * squash) } }; } },
                { "", 0.8, [](double t) { Pose pose = Walking(t, 0.8, 26, 0, -24, 1.5);
                                          pose["Arm_L"] = Turn(80); pose["Arm_R"] = Turn(80); return pose; } },
                { "", 0.8, [](double t) { Pose pose = Walking(t, 0.8, 20, 0, 16, 1.5);
                                          pose["Arm_L"] = Turn(95); pose["Arm_R"] = Turn(95); return pose; } },
                { "", 0.6, [](double t) { const double reach = std::sin(3.14159265 * std::clamp(t / 0.6, 0.0, 1.0));
                                          return Pose{ { "Arm_R", Turn(100 * reach) }, { "Spine", Turn(-10 * reach) } }; } },
                // Death: a spin and a fall onto the back, held at the end.
                { "", 1.5, [](double t) { const double fall = Ease(0, 1, t, 0.9);
                                          return Pose{ { "Hips", { { -10 * fall, -26 * fall, 0 }, { 0, 360 * Ease(0, 1, t, 0.6), 90 * fall } } },
                                                       { "Head", Turn(-20 * fall) }, { "Arm_L", Turn(-160 * fall) }, { "Arm_R", Turn(-150 * fall) },
                                                       { "Leg_L", Turn(30 * fall) }, { "Leg_R", Turn(10 * fall) } }; } },
                { "", 0.4, [](double t) { const double back = std::sin(3.14159265 * std::clamp(t / 0.4, 0.0, 1.0));
                                          return Pose{ { "Hips", { { -6 * back, 0, 0 }, { 0, 0, 0 } } }, { "Spine", Turn(10 * back) },
                                                       { "Leg_L", Turn(-25 * back) }, { "Arm_L", Turn(20 * back) }, { "Arm_R", Turn(20 * back) } }; } },
                { "", 0.25, [](double t) { return Crouched(Ease(0, 1, t, 0.25)); } },
                { "", 0.25, [](double t) { return Crouched(Ease(1, 0, t, 0.25)); } },
            };
        }

        // ---- The snail box: a striped shell with a snail that hides inside when it turns heavy. ----

        const std::vector<Bone> SNAIL_BONES = {
            { "Shell_Root", -1, { 0, 0, 0 } }, { "Shell", 0, { 0, 46, 0 } },        { "Body", 0, { 0, 10, -50 } },
            { "Head", 2, { 30, 22, -56 } },   { "Stalk_L", 3, { 34, 30, -52 } }, { "Stalk_R", 3, { 34, 30, -60 } },
        };

        MeshBuilder SnailMesh()
        {
            const auto& bones = SNAIL_BONES;
            MeshBuilder mesh;
            mesh.SetBone(BoneIndex(bones, "Shell"));
            mesh.SetShade(ShellBrown);
            mesh.Box({ 0, 48, 0 }, { 46, 42, 46 });
            mesh.SetShade(ShellPink);
            mesh.Ellipsoid({ 0, 50, -46 }, { 38, 36, 4 });
            mesh.SetShade(ShellBrown);
            mesh.Ellipsoid({ 3, 52, -49 }, { 25, 24, 4 });
            mesh.SetShade(ShellPink);
            mesh.Ellipsoid({ 6, 54, -52 }, { 13, 12, 4 }, 12, 6);
            mesh.SetShade(ShellBrown);
            mesh.Ellipsoid({ 8, 55, -55 }, { 5, 5, 3 }, 8, 4);
            mesh.Box({ 0, 91, 0 }, { 40, 3, 40 });
            mesh.SetBone(BoneIndex(bones, "Shell_Root"));
            mesh.SetShade(SnailGreen);
            mesh.Box({ 0, 3, 0 }, { 50, 3, 50 }); // the foot under the shell, down to the origin
            mesh.SetBone(BoneIndex(bones, "Body"));
            mesh.Ellipsoid({ 0, 10, -54 }, { 40, 8, 9 });
            mesh.SetBone(BoneIndex(bones, "Head"));
            mesh.Ellipsoid({ 30, 22, -58 }, { 11, 11, 9 });
            mesh.SetShade(Ink);
            mesh.Ellipsoid({ 40, 20, -58 }, { 1.5, 2, 4 }, 6, 4);
            for (const char* stalk : { "Stalk_L", "Stalk_R" })
            {
                const double z = stalk[6] == 'L' ? -52 : -62;
                mesh.SetBone(BoneIndex(bones, stalk));
                mesh.SetShade(SnailGreen);
                mesh.Box({ 34, 36, z }, { 1.8, 7, 1.8 });
                mesh.SetShade(Cream);
                mesh.Ellipsoid({ 35, 45, z }, { 3.5, 3.5, 3.5 }, 8, 5);
                mesh.SetShade(Ink);
                mesh.Ellipsoid({ 37.5, 45, z }, { 1.5, 1.8, 1.8 }, 6, 4);
            }
            return mesh;
        }

        Pose Hidden(double anAmount)
        {
            const BonePose inside = { { -10 * anAmount, 0, 40 * anAmount }, { 0, 0, 0 }, { 1 - 0.6 * anAmount, 1 - 0.6 * anAmount, 1 - 0.6 * anAmount } };
            return { { "Body", inside }, { "Stalk_L", { { 0, -10 * anAmount, 0 }, { 0, 0, 0 } } }, { "Stalk_R", { { 0, -10 * anAmount, 0 }, { 0, 0, 0 } } } };
        }

        Pose Nudged(double aTime, double aDuration, double aDirection, bool aLoop)
        {
            const double phase = aLoop ? Swing(aTime, aDuration, 1.0) : std::sin(3.14159265 * std::clamp(aTime / aDuration, 0.0, 1.0));
            return { { "Shell", { { 0, 0, 0 }, { 0, 0, -6 * aDirection * phase } } },
                     { "Stalk_L", Turn(20 * aDirection * phase) },
                     { "Stalk_R", Turn(16 * aDirection * phase) } };
        }

        std::vector<ClipSpec> SnailClips()
        {
            return {
                { "", 2.0, [](double t) { return Pose{ { "Shell", { { 0, Swing(t, 2.0, 0.8), 0 }, { 0, 0, 0 } } }, { "Body", { { Swing(t, 2.0, 2.0), 0, 0 }, { 0, 0, 0 } } },
                                                       { "Stalk_L", Turn(Swing(t, 1.0, 10)) }, { "Stalk_R", Turn(Swing(t, 1.0, 10, 0.3)) } }; } },
                { "", 0.4, [](double t) { return Nudged(t, 0.4, -1, false); } },
                { "", 0.4, [](double t) { return Nudged(t, 0.4, 1, false); } },
                { "", 0.5, [](double t) { return Pose{ { "Stalk_L", Turn(-30 + Swing(t, 0.25, 8)) }, { "Stalk_R", Turn(-34 - Swing(t, 0.25, 8)) },
                                                       { "Body", { { 0, 2, 0 }, { 0, 0, 0 } } } }; } },
                { "", 0.35, [](double t) { const double squash = std::sin(3.14159265 * std::clamp(t / 0.35, 0.0, 1.0));
                                           return Pose{ { "Shell", { { 0, -4 * squash, 0 }, { 0, 0, 0 }, { 1 + 0.08 * squash, 1 - 0.1 * squash, 1 + 0.08 * squash } } } }; } },
                { "", 0.6, [](double t) { return Hidden(Ease(0, 1, t, 0.6)); } },
                { "", 2.0, [](double t) { Pose pose = Hidden(1.0); pose["Shell"] = { { 0, Swing(t, 2.0, 0.5), 0 }, { 0, 0, 0 } }; return pose; } },
                { "", 0.8, [](double t) { return Nudged(t, 0.8, -1, true); } },
                { "", 0.8, [](double t) { return Nudged(t, 0.8, 1, true); } },
            };
        }

        // ---- The Glomp: a purple blob with one big eye and two horns. ----

        const std::vector<Bone> GLOMP_BONES = {
            { "Root", -1, { 0, 0, 0 } },  { "Body", 0, { 0, 22, 0 } },     { "Eye", 1, { 34, 78, 0 } },
            { "Leg_L", 0, { 0, 20, 16 } }, { "Leg_R", 0, { 0, 20, -16 } },
        };

        MeshBuilder GlompMesh()
        {
            const auto& bones = GLOMP_BONES;
            MeshBuilder mesh;
            mesh.SetBone(BoneIndex(bones, "Body"));
            mesh.SetShade(Purple);
            mesh.Ellipsoid({ 0, 62, 0 }, { 46, 42, 38 });
            mesh.SetShade(PurpleDark);
            mesh.Ellipsoid({ -8, 102, 16 }, { 6, 14, 6 }, 8, 6);
            mesh.Ellipsoid({ -8, 102, -16 }, { 6, 14, 6 }, 8, 6); // horn tips at 116
            mesh.SetShade(Ink);
            mesh.Box({ 40, 50, 0 }, { 5, 4, 18 });
            mesh.SetShade(White);
            mesh.Box({ 43, 47, 8 }, { 3, 3, 2.5 });
            mesh.Box({ 43, 47, -8 }, { 3, 3, 2.5 });
            mesh.SetBone(BoneIndex(bones, "Eye"));
            mesh.SetShade(Cream);
            mesh.Ellipsoid({ 34, 78, 0 }, { 12, 15, 15 });
            mesh.SetShade(EyeRed);
            mesh.Ellipsoid({ 43, 78, 0 }, { 4.5, 8, 8 }, 10, 6);
            mesh.SetShade(Black);
            mesh.Ellipsoid({ 46.5, 78, 0 }, { 2, 4, 4 }, 8, 5);
            for (const char* side : { "Leg_L", "Leg_R" })
            {
                const double z = side[4] == 'L' ? 16 : -16;
                mesh.SetBone(BoneIndex(bones, side));
                mesh.SetShade(PurpleDark);
                mesh.Box({ 4, 10, z }, { 10, 10, 8 }); // feet on the ground at the origin
            }
            return mesh;
        }

        std::vector<ClipSpec> GlompClips()
        {
            return {
                // Alarmed: a startled hop, the eye wide open; about a second, as the Glomp waits on it.
                { "", 1.0, [](double t) { const double hop = std::sin(3.14159265 * std::clamp(t / 0.5, 0.0, 1.0));
                                          const double wide = 1.0 + 0.35 * std::sin(3.14159265 * std::clamp(t / 1.0, 0.0, 1.0));
                                          return Pose{ { "Root", { { 0, 22 * hop, 0 }, { 0, 0, 0 } } }, { "Eye", { { 0, 0, 0 }, { 0, 0, 0 }, { wide, wide, wide } } },
                                                       { "Body", { { 0, 0, 0 }, { 0, 0, Swing(t, 0.25, 6) } } } }; } },
                { "", 2.0, [](double t) { const double breathe = 1.0 + Swing(t, 2.0, 0.04);
                                          return Pose{ { "Body", { { 0, 0, 0 }, { 0, 0, 0 }, { 1, breathe, 1 } } }, { "Eye", Turn(Swing(t, 2.0, 5, 0.2)) } }; } },
                { "", 0.8, [](double t) { return Pose{ { "Root", Move(std::abs(Swing(t, 0.8, 6))) }, { "Body", Turn(-6 + Swing(t, 0.8, 5)) },
                                                       { "Leg_L", Turn(Swing(t, 0.8, 30)) }, { "Leg_R", Turn(-Swing(t, 0.8, 30)) } }; } },
            };
        }

        // ---- The Eyecorn: a flying eye with a golden horn and two wings. ----

        const std::vector<Bone> EYECORN_BONES = {
            { "Root", -1, { 0, 0, 0 } },     { "Body", 0, { 0, 40, 0 } },     { "Lid", 1, { 0, 48, 0 } },
            { "Wing_L", 1, { 0, 50, 30 } }, { "Wing_R", 1, { 0, 50, -30 } }, { "Iris", 1, { 0, 36, -28 } },
        };

        MeshBuilder EyecornMesh()
        {
            const auto& bones = EYECORN_BONES;
            MeshBuilder mesh;
            mesh.SetBone(BoneIndex(bones, "Body"));
            mesh.SetShade(Cream);
            mesh.Ellipsoid({ 0, 40, 0 }, { 32, 32, 32 });
            mesh.SetShade(PurpleDark);
            mesh.Ellipsoid({ 0, 6, 0 }, { 6, 6, 6 }, 8, 5); // a tail tuft: the lowest point, at the origin
            mesh.SetShade(Gold);
            mesh.Ellipsoid({ 0, 84, -6 }, { 5, 18, 5 }, 8, 6); // the horn, up to 102
            mesh.SetBone(BoneIndex(bones, "Iris"));
            mesh.SetShade(EyeRed);
            mesh.Ellipsoid({ 0, 36, -28 }, { 15, 15, 6 });
            mesh.SetShade(Black);
            mesh.Ellipsoid({ 0, 35, -33 }, { 6, 7, 3 }, 10, 6);
            mesh.SetBone(BoneIndex(bones, "Lid"));
            mesh.SetShade(Purple);
            mesh.Ellipsoid({ 0, 60, 0 }, { 34, 14, 34 });
            for (const char* side : { "Wing_L", "Wing_R" })
            {
                const double z = side[5] == 'L' ? 46 : -46;
                mesh.SetBone(BoneIndex(bones, side));
                mesh.SetShade(Teal);
                mesh.Ellipsoid({ -4, 52, z }, { 16, 4, 20 }, 10, 6);
            }
            return mesh;
        }

        Pose Flying(double aTime, double aFlapPeriod)
        {
            return { { "Root", Move(Swing(aTime, 1.2, 3.0)) },
                     { "Wing_L", { { 0, 0, 0 }, { Swing(aTime, aFlapPeriod, 30), 0, 0 } } },
                     { "Wing_R", { { 0, 0, 0 }, { -Swing(aTime, aFlapPeriod, 30), 0, 0 } } } };
        }

        Pose WithLid(Pose aPose, double aClosed)
        {
            aPose["Lid"] = { { 0, -22 * aClosed, -4 * aClosed }, { 0, 0, 0 }, { 1.0, 1.0 + 0.6 * aClosed, 1.0 } };
            return aPose;
        }

        std::vector<ClipSpec> EyecornClips()
        {
            return {
                { "", 1.2, [](double t) { Pose pose = WithLid(Flying(t, 0.3), 0.0);
                                          const double pulse = 1.0 + Swing(t, 0.3, 0.15);
                                          pose["Iris"] = { { 0, 0, 0 }, { 0, 0, 0 }, { pulse, pulse, 1 } }; return pose; } },
                { "", 0.6, [](double t) { return WithLid(Flying(t, 0.6), Ease(0, 1, t, 0.6)); } },
                { "", 1.2, [](double t) { return WithLid(Flying(t, 0.6), 0.0); } },
                { "", 0.6, [](double t) { return WithLid(Flying(t, 0.6), Ease(1, 0, t, 0.6)); } },
            };
        }
    }

    void MakeCharacters(Pack& aPack)
    {
        SaveCharacter(aPack, ANIMATED_MODELS[0], PLAYER_BONES, PlayerMesh(), PlayerClips(),
                      { { "Hand_socket", BoneIndex(PLAYER_BONES, "Arm_R"), { 0, -20, 0 } }, { "Step_evt", 0, { 0, 0, 0 } } });
        SaveCharacter(aPack, ANIMATED_MODELS[1], SNAIL_BONES, SnailMesh(), SnailClips());
        SaveCharacter(aPack, ANIMATED_MODELS[2], GLOMP_BONES, GlompMesh(), GlompClips());
        SaveCharacter(aPack, ANIMATED_MODELS[3], EYECORN_BONES, EyecornMesh(), EyecornClips());
    }
}
