#include "Screens/StateStack.h"

#include "Levels/LevelLoader.h"
#include "Menus/InGameMenuState.h"
#include "Menus/MainMenuState.h"
#include "Menus/OptionsState.h"
#include "Screens/EndingState.h"
#include "Screens/GameState.h"
#include "Screens/LogoState.h"
#include "Screens/OpeningState.h"
#include "Screens/TransitionState.h"
#include "Sound/SoundManager.h"
#include "Spine/GameContext.h"

#include "Platform/window/Cursor.h"

namespace
{
    bool ShowsCursor(int anId)
    {
        switch (static_cast<StateId>(anId))
        {
        case StateId::MainMenu:
        case StateId::InGameMenu:
        case StateId::Options:
            return true;
        default:
            return false;
        }
    }
}

StateStack::StateStack(GameContext* aContext, InputMapper* anInputMapper)
    : myContext(aContext)
    , myInputMapper(anInputMapper)
{
    GameContext& context = *aContext;
    auto build = [this](StateId anId, std::unique_ptr<State> aState) { someOwnedStates[static_cast<size_t>(anId)] = std::move(aState); };
    build(StateId::MainMenu, std::make_unique<MainMenuState>(this, context));
    build(StateId::InGameMenu, std::make_unique<InGameMenuState>(this, context));
    build(StateId::Options, std::make_unique<OptionsState>(this, context));
    // The game screen comes after the options screen: it creates the player and publishes it in the context.
    build(StateId::Game, std::make_unique<GameState>(this, context));
    build(StateId::Transition, std::make_unique<TransitionState>(this, context));
    build(StateId::Ending, std::make_unique<EndingState>(this, context));
    build(StateId::Logo, std::make_unique<LogoState>(this, context));
    build(StateId::Opening, std::make_unique<OpeningState>(this, context));
}

StateStack::~StateStack()
{
    for (std::unique_ptr<State>& state : someOwnedStates)
    {
        state.reset();
    }
}

void StateStack::Push(StateId anId)
{
    someStates.push_back(static_cast<int>(anId));
    Top()->OnEnter();
    if (anId == StateId::MainMenu)
    {
        SoundManager::GetInstance().PlayMusicForScene("Main");
    }
    UpdateCursor();
}

void StateStack::Pop()
{
    if (someStates.empty())
    {
        return;
    }
    Top()->OnExit();
    someStates.pop_back();
    UpdateCursor();
}

void StateStack::Clear()
{
    for (int id : someStates)
    {
        someOwnedStates[static_cast<size_t>(id)]->OnExit();
    }
    someStates.clear();
}

void StateStack::StartLevel(Vela::StringId aLevelKey)
{
    if (myDeferLevelStarts)
    {
        myDeferredLevel = aLevelKey;
        return;
    }
    Clear();
    SoundManager::GetInstance().PlayOneShot("UI_Start_Game");
    someStates.push_back(static_cast<int>(StateId::Game));
    Top()->OnEnter();
    UpdateCursor();
    myContext->levelLoader->SetCurrentLevel(aLevelKey);
    SoundManager::GetInstance().PlayMusicForScene(aLevelKey.GetString());
    UpdateCursor();
}

void StateStack::RunDeferredLevelStart()
{
    if (myDeferredLevel.IsEmpty())
    {
        return;
    }
    const Vela::StringId level = myDeferredLevel;
    myDeferredLevel = Vela::StringId();
    const bool deferring = myDeferLevelStarts;
    myDeferLevelStarts = false;
    StartLevel(level);
    myDeferLevelStarts = deferring;
}

State* StateStack::Top() const
{
    return someStates.empty() ? nullptr : someOwnedStates[static_cast<size_t>(someStates.back())].get();
}

bool StateStack::Update(const UpdateContext& aContext)
{
    State* top = Top();
    if (top == nullptr)
    {
        return true;
    }
    top->GetRegistry().RefreshSliders();
    top->Update(aContext);
    return false;
}

void StateStack::RenderAll(uint32_t aPass)
{
    // By index: a state may push or pop while it is drawn.
    for (size_t i = 0; i < someStates.size(); ++i)
    {
        someOwnedStates[static_cast<size_t>(someStates[i])]->Render(aPass);
    }
}

bool StateStack::OnInput(InputAction anAction, const InputEvent& anEvent)
{
    State* top = Top();
    if (anEvent.kind != InputEvent::PRESSED || top == nullptr)
    {
        return false;
    }
    return top->OnInput(anAction, anEvent);
}

void StateStack::UpdateCursor()
{
    // The display counter is shared with whoever else shows or hides the cursor, so step until it is on
    // the wanted side rather than setting it.
    if (someStates.empty() || ShowsCursor(someStates.back()))
    {
        while (Vela::Platform::ShowCursor(true) < 0)
        {
        }
    }
    else
    {
        while (Vela::Platform::ShowCursor(false) >= 0)
        {
        }
    }
}
