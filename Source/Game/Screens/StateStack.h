#pragma once
// The game's screens: eight states built once, shown by pushing their id. Only the top state is
// updated and receives input; every stacked state is drawn, bottom to top. The one observer of all
// the input mapper's actions. Main thread only.
#include "Input/InputAction.h"
#include "Screens/State.h"

#include "mire/stringRegistry/StringId.h"

#include <array>
#include <memory>
#include <vector>

class InputMapper;
struct GameContext;
struct UpdateContext;

class StateStack : public Observers::InputObserver
{
public:
    StateStack(GameContext* aContext, InputMapper* anInputMapper);
    ~StateStack() override;
    StateStack(const StateStack&) = delete;
    StateStack& operator=(const StateStack&) = delete;

    void Push(StateId anId);
    // Nothing on an empty stack.
    void Pop();
    // Every stacked state leaves, bottom to top; the cursor follows at the next push.
    void Clear();
    // Leaves every screen for the play screen and makes the level current (which rebuilds it and puts a
    // reveal fade on top). While level starts are deferred the request is kept and run by
    // RunDeferredLevelStart instead, so a start asked for inside the game's update cannot destroy the
    // objects that are running.
    void StartLevel(Vela::StringId aLevelKey);
    void SetDeferLevelStarts(bool aDefer) { myDeferLevelStarts = aDefer; }
    // Runs the start kept while deferred, if any.
    void RunDeferredLevelStart();
    bool HasDeferredLevelStart() const { return !myDeferredLevel.IsEmpty(); }

    // Null on an empty stack.
    State* Top() const;
    // -1 on an empty stack.
    int TopId() const { return someStates.empty() ? -1 : someStates.back(); }
    State* GetState(StateId anId) const { return someOwnedStates[static_cast<size_t>(anId)].get(); }
    const std::vector<int>& GetStates() const { return someStates; }

    // True when the stack is empty (the game then quits); else the top state's sliders and update.
    bool Update(const UpdateContext& aContext);
    void RenderAll(uint32_t aPass);
    // Only events pressed this frame reach the top state.
    bool OnInput(InputAction anAction, const InputEvent& anEvent) override;
    // Shows the mouse cursor over the menus and an empty stack, hides it elsewhere.
    void UpdateCursor();

    InputMapper* GetInputMapper() const { return myInputMapper; }

private:
    std::vector<int> someStates;
    std::array<std::unique_ptr<State>, STATE_COUNT> someOwnedStates;
    GameContext* myContext = nullptr;
    InputMapper* myInputMapper = nullptr;
    bool myDeferLevelStarts = false;
    Vela::StringId myDeferredLevel;
};
