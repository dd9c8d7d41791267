#include "Screens/OpeningState.h"

#include "Menus/MenuSupport.h"
#include "Screens/StateStack.h"
#include "Spine/GameContext.h"

#include "mire/settings/Settings.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <cstdio>

namespace
{
    constexpr const char* OPENING_VIDEO = "Video/OpeningCutscene.mp4";
}

OpeningState::OpeningState(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack), myContext(&aContext)
{
}

OpeningState::~OpeningState() = default;

void OpeningState::OnEnter()
{
    myVideoPlayer = std::make_unique<Vela::VideoPlayer>();
    const std::string path = Vela::Settings::ResolveAssetPath(OPENING_VIDEO);
    // Without a picture to show there is nothing to wait for: the first update starts the level.
    if (!myVideoPlayer->Init(path.c_str(), true) || !myVideoPlayer->GetViewHolder())
    {
        std::printf("Opening video unavailable, starting level_0: %s\n", path.c_str());
        myVideoPlayer.reset();
        return;
    }
    myVideo.mySharedData = {};
    myVideo.mySharedData.myColorTexture = myVideoPlayer->GetViewHolder();
    myVideo.myInstance = {};
    myVideo.myInstance.myPivot = { 0.5f, 0.5f };
    myVideo.myInstance.mySize = UI_CANVAS_SIZE;
    myVideo.myInstance.myPosition = { UI_CANVAS_SIZE.x / 2.0f, UI_CANVAS_SIZE.y / 2.0f };
    myVideo.myInstance.myUVOffset = { 0.0f, 0.0f };
    myVideo.myInstance.myUVScale = { 1.0f, 1.0f };
    // The picture fills only part of its power-of-two texture.
    myVideo.myInstance.myRectangle = {
        0.0f, 0.0f, static_cast<float>(myVideoPlayer->GetVideoWidth()) / static_cast<float>(myVideoPlayer->GetTextureWidth()),
        static_cast<float>(myVideoPlayer->GetVideoHeight()) / static_cast<float>(myVideoPlayer->GetTextureHeight())
    };
    myVideoPlayer->Play(false);
}

void OpeningState::OnExit()
{
    myVideoPlayer.reset();
    myVideo.mySharedData.myColorTexture = nullptr;
}

void OpeningState::StartFirstLevel()
{
    myStateStack->StartLevel(Vela::StringRegistry::RegisterOrGetString("level_0"));
}

void OpeningState::Update(const UpdateContext& aContext)
{
    if (!myVideoPlayer)
    {
        StartFirstLevel();
        return;
    }
    myVideoPlayer->Update(aContext.deltaTime);
    if (myVideoPlayer->GetStatus() == Vela::VideoPlayerStatus_Finished)
        StartFirstLevel();
}

void OpeningState::Render(uint32_t aPass)
{
    if (!myVideoPlayer)
        return;
    DrawScreenPass(aPass, myContext->cameraController,
                   [this](Vela::SpriteDrawer& aDrawer, Vela::GraphicsStateStack&) { DrawSingleSprite(aDrawer, myVideo); });
}

bool OpeningState::OnInput(InputAction anAction, const InputEvent&)
{
    if (anAction != InputAction::Skip)
        return false;
    StartFirstLevel();
    return true;
}
