#pragma once
// The models and clips of the demo content pack, relative to the game asset root. Each model
// folder also holds the textures of its FBX materials ("<material>_C.dds", "_FX"). The content tools write exactly these files; the content lint loads each of them; scene
// files of the levels name models and clips from here. Clip lists are in the order the objects'
// definitions list their clip properties.
#include <array>
#include <span>

namespace Vela::Content
{
    struct ClipFile
    {
        const char* myProperty; // the definition's "Animation Clip" property
        const char* myFile;
        bool myLoops;           // how the game plays it
    };

    struct AnimatedModelFile
    {
        const char* myDefinition; // the scene-object definition that uses it
        const char* myModel;
        std::span<const ClipFile> myClips;
    };

    // The player: feet at the origin, 96.2 units tall (first mesh half-extent y 48.1), facing +x.
    inline constexpr ClipFile PLAYER_CLIPS[] = {
        { "Anim_Idle", "models/Player/Anim_Player_Idle.fbx", true },
        { "Anim_Jog", "models/Player/Anim_Player_Jog.fbx", true },
        { "Anim_Crouch", "models/Player/Anim_Player_Crouch.fbx", true },
        { "Anim_MovingCrouch", "models/Player/Anim_Player_MovingCrouch.fbx", true },
        { "Anim_TakeOff", "models/Player/Anim_Player_TakeOff.fbx", false },
        { "Anim_Fall", "models/Player/Anim_Player_Fall.fbx", true },
        { "Anim_Land", "models/Player/Anim_Player_Land.fbx", false },
        { "Anim_Push", "models/Player/Anim_Player_Push.fbx", true },
        { "Anim_Pull", "models/Player/Anim_Player_Pull.fbx", true },
        { "Anim_Interact", "models/Player/Anim_Player_Interact.fbx", false },
        { "Anim_Death", "models/Player/Anim_Player_Death.fbx", false },
        { "Anim_StepBack", "models/Player/Anim_Player_StepBack.fbx", false },
        { "Anim_IdleToCrouch", "models/Player/Anim_Player_IdleToCrouch.fbx", false },
        { "Anim_CrouchToIdle", "models/Player/Anim_Player_CrouchToIdle.fbx", false },
    };

    // The snail box: a shell about 100 units on each side, feet at the origin.
    inline constexpr ClipFile SNAIL_CLIPS[] = {
        { "Anim_Idle", "models/Snail/Anim_Snail_Idle.fbx", true },
        { "Anim_Pushed_Left", "models/Snail/Anim_Snail_Pushed_Left.fbx", false },
        { "Anim_Pushed_Right", "models/Snail/Anim_Snail_Pushed_Right.fbx", false },
        { "Anim_Falling", "models/Snail/Anim_Snail_Falling.fbx", false },
        { "Anim_Landing", "models/Snail/Anim_Snail_Landing.fbx", false },
        { "Anim_Enter_Heavy", "models/Snail/Anim_Snail_Enter_Heavy.fbx", false },
        { "Anim_Heavy_Idle", "models/Snail/Anim_Snail_Heavy_Idle.fbx", true },
        { "Anim_Being_Pushed_Left", "models/Snail/Anim_Snail_Being_Pushed_Left.fbx", true },
        { "Anim_Being_Pushed_Right", "models/Snail/Anim_Snail_Being_Pushed_Right.fbx", true },
    };

    // The Glomp: about 116 units tall, feet at the origin, facing +x.
    inline constexpr ClipFile GLOMP_CLIPS[] = {
        { "Anim_Alarmed", "models/Glomp/Anim_Glomp_Alarmed.fbx", false },
        { "Anim_Idle", "models/Glomp/Anim_Glomp_Idle.fbx", true },
        { "Anim_Walk", "models/Glomp/Anim_Glomp_Walk.fbx", true },
    };

    // The Eyecorn: about 102 units tall, its lowest point at the origin, its eye facing the camera (-z).
    inline constexpr ClipFile EYECORN_CLIPS[] = {
        { "Anim_Alarmed", "models/Eyecorn/Anim_Eyecorn_Alarmed.fbx", true },
        { "Anim_CloseEye", "models/Eyecorn/Anim_Eyecorn_CloseEye.fbx", true },
        { "Anim_Idle", "models/Eyecorn/Anim_Eyecorn_Idle.fbx", true },
        { "Anim_OpenEye", "models/Eyecorn/Anim_Eyecorn_OpenEye.fbx", true },
    };

    inline constexpr AnimatedModelFile ANIMATED_MODELS[] = {
        { "TOB", "models/Player/SK_Player.fbx", PLAYER_CLIPS },
        { "Interactable_Box_Snail", "models/Snail/SK_SnailBox.fbx", SNAIL_CLIPS },
        { "SK_Enemy_Test", "models/Glomp/SK_Glomp.fbx", GLOMP_CLIPS },
        { "SK_Enemy_flying", "models/Eyecorn/SK_Eyecorn.fbx", EYECORN_CLIPS },
    };

    struct StaticModelFile
    {
        const char* myDefinition; // the definition that uses it; "" for plain level meshes
        const char* myModel;
    };

    // Blocks are centred on their origin, 200 deep (z -100..100), named by width x height.
    inline constexpr StaticModelFile STATIC_MODELS[] = {
        { "Orb", "models/Props/SM_Orb.fbx" },                         // radius 28, centred
        { "Socket", "models/Props/SM_Socket.fbx" },                   // base at the origin, 90 tall
        { "SM_A_RotatingStair", "models/Props/SM_RotatingStair.fbx" }, // base at the origin, 320 tall
        { "SM_EN_Grass_1", "models/Props/SM_Grass.fbx" },             // base at the origin, 220 wide
        { "BreakableFloor", "models/Props/SM_Floor_Intact.fbx" },     // 400 x 30 x 200, centred; first model
        { "BreakableFloor", "models/Props/SM_Floor_Broken.fbx" },     // the same footprint; second model
        { "", "models/Level/SM_Block_100x100.fbx" },
        { "", "models/Level/SM_Block_200x100.fbx" },
        { "", "models/Level/SM_Block_400x100.fbx" },
        { "", "models/Level/SM_Block_400x200.fbx" },
        { "", "models/Level/SM_Block_800x200.fbx" },
        { "", "models/Level/SM_Block_100x400.fbx" },
        { "", "models/Level/SM_Backdrop.fbx" },                       // 1600 x 900 wall for far behind the level
        { "", "visual effects/models/SM_ScannerPlane.fbx" },          // flat in local XZ, eye at the origin, 91 long along +x
    };
}
