#pragma once
// The two menu widgets, a clickable sprite button and a horizontal volume slider, in the fixed
// 1600 x 900 UI canvas (origin bottom left, y up).
#include "mire/drawers/SpriteDrawer.h"
#include "mire/math/Vector.h"

#include <cstdint>
#include <functional>

// The canvas every menu widget lives in; never changes.
inline constexpr Vela::Vector2<float> UI_CANVAS_SIZE{ 1600.0f, 900.0f };

// A sprite as menus keep it: the batch data and the one instance drawn with it.
struct UISprite
{
    Vela::SpriteSharedData mySharedData;
    Vela::SpriteInstance myInstance;
};

// A sprite centred on a position; a size of (0, 0) takes the texture's size in pixels.
UISprite MakeUISprite(const char* aTexturePath, const Vela::Vector2<float>& aPosition,
                      const Vela::Vector2<float>& aSize = { 0.0f, 0.0f });
// The texture's size in pixels as floats.
Vela::Vector2<float> GetTextureSize(const char* aTexturePath);

// One batch with one sprite: backgrounds and decorations.
void DrawSingleSprite(Vela::SpriteDrawer& aSpriteDrawer, const Vela::SpriteSharedData& aSharedData,
                      const Vela::SpriteInstance& anInstance);
inline void DrawSingleSprite(Vela::SpriteDrawer& aSpriteDrawer, const UISprite& aSprite)
{
    DrawSingleSprite(aSpriteDrawer, aSprite.mySharedData, aSprite.myInstance);
}

// Maps a mouse position in client-area pixels (top-left origin) into the canvas. A window with no
// area (minimised) maps every point off the canvas.
Vela::Vector2<float> MapWindowToCanvas(const Vela::Vector2<float>& aMousePosition);
Vela::Vector2<float> MapWindowToCanvas(const Vela::Vector2<float>& aMousePosition, const Vela::Vector2<float>& aWindowSize);

class UIElement
{
public:
    // A size of (0, 0) means the texture's size in pixels.
    UIElement(const Vela::Vector2<float>& aPosition, const char* aTexturePath, const Vela::Vector2<float>& aSize,
              const Vela::Vector2<float>& aScale);

    // Strict on all four sides; the pivot is taken as the centre.
    bool Contains(const Vela::Vector2<float>& aPoint) const;
    // A hidden widget is neither drawn nor clicked.
    bool IsHidden() const { return myInstance.myIsHidden; }
    void SetHidden(bool aHidden) { myInstance.myIsHidden = aHidden; }
    void SetCustomShader(Vela::SpriteShader* aShader) { mySharedData.myCustomShader = aShader; }

    Vela::SpriteSharedData mySharedData;
    Vela::SpriteInstance myInstance;
};

class UIButton : public UIElement
{
public:
    UIButton(const Vela::Vector2<float>& aPosition, const char* aTexturePath, std::function<void()> aCallback,
             const Vela::Vector2<float>& aSize, const Vela::Vector2<float>& aScale);

    bool IsClickable(const Vela::Vector2<float>& aPoint) const;
    // Runs the callback when the point is inside and there is one; true when the point was inside.
    bool Click(const Vela::Vector2<float>& aPoint);
    void Render(Vela::SpriteDrawer& aSpriteDrawer) const;
    void SetHighlightColor(const Vela::Vector4<float>& aColor) { myHighlightColor = aColor; }

    std::function<void()> myCallback;
    // Handed to the highlight shader as its custom parameters.
    Vela::Vector4<float> myHighlightColor{ 0.0f, 0.0f, 0.0f, 0.0f };
};

// Which of the sound manager's volumes a slider shows.
enum UISliderKind : int32_t
{
    UISliderKind_Master = 0,
    UISliderKind_Sfx = 1,
    UISliderKind_Music = 2,
};

// The bar (the label image) with a fill sprite that grows to the right with the value.
class UISlider : public UIElement
{
public:
    UISlider(const Vela::Vector2<float>& aPosition, const char* aBarTexturePath, const char* aFillTexturePath,
             int32_t aKind, std::function<void(float)> aCallback, const Vela::Vector2<float>& aFillOffset,
             const Vela::Vector2<float>& aSize, const Vela::Vector2<float>& aScale);

    void Drag(const Vela::Vector2<float>& aPoint);
    void SetValue(float aValue);
    void Step(float aDelta);
    // The fill follows the sound manager's volume; the value itself is kept.
    void Refresh();
    void SetKnobHighlight(float anAlpha);
    // The fill is hidden apart from the bar.
    void SetFillHidden(bool aHidden) { myFill.myInstance.myIsHidden = aHidden; }
    void Render(Vela::SpriteDrawer& aSpriteDrawer) const;

    UISprite myFill;
    std::function<void(float)> myCallback;
    Vela::Vector2<float> myFillOffset;
    Vela::Vector2<float> myFullScale;
    float myValue = 0.0f;
    int32_t myKind = 0;
};
