#pragma once
// The opening video before the first level.
#include "Menus/UIElement.h"
#include "Screens/State.h"

#include "mire/video/VideoPlayer.h"

#include <memory>

class StateStack;
struct GameContext;

class OpeningState : public State
{
public:
    OpeningState(StateStack* aStateStack, GameContext& aContext);
    ~OpeningState() override;

    void Update(const UpdateContext& aContext) override;
    void Render(uint32_t aPass) override;
    void OnExit() override;
    void OnEnter() override;
    bool OnInput(InputAction anAction, const InputEvent& anEvent) override;

    const Vela::VideoPlayer* GetVideoPlayer() const { return myVideoPlayer.get(); }

private:
    void StartFirstLevel();

    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
    std::unique_ptr<Vela::VideoPlayer> myVideoPlayer;
    UISprite myVideo;
};
