#pragma once
#include <memory>

namespace Vela
{
    class CustomShapeDrawer;
    class FullscreenEffect;
    class FullscreenPixelateEffect;
    class GraphicsStateStack;
    class LineDrawer;
    class ModelDrawer;
    class SpriteDrawer;

    // Owns every drawer, the full-screen effects and the graphics state stack.
    class GraphicsEngine
    {
    public:
        GraphicsEngine();
        ~GraphicsEngine();
        GraphicsEngine(const GraphicsEngine&) = delete;
        GraphicsEngine& operator=(const GraphicsEngine&) = delete;

        // False when a post-process shader is missing or the state stack cannot start. Needs the
        // device and the texture manager.
        bool Init();

        SpriteDrawer* GetSpriteDrawer() const { return mySpriteDrawer.get(); }
        ModelDrawer* GetModelDrawer() const { return myModelDrawer.get(); }
        CustomShapeDrawer* GetCustomShapeDrawer() const { return myCustomShapeDrawer.get(); }
        LineDrawer* GetLineDrawer() const { return myLineDrawer.get(); }
        GraphicsStateStack* GetGraphicsStateStack() const { return myGraphicsStateStack.get(); }
        FullscreenEffect* GetCopyEffect() const { return myCopyEffect.get(); }
        FullscreenEffect* GetTonemapEffect() const { return myTonemapEffect.get(); }
        FullscreenEffect* GetGaussianVerticalEffect() const { return myGaussianVerticalEffect.get(); }
        FullscreenEffect* GetGaussianHorizontalEffect() const { return myGaussianHorizontalEffect.get(); }
        FullscreenPixelateEffect* GetPixelateEffect() const { return myPixelateEffect.get(); }

    private:
        // Deleted in reverse order: effects, state stack, then the drawers.
        std::unique_ptr<SpriteDrawer> mySpriteDrawer;
        std::unique_ptr<ModelDrawer> myModelDrawer;
        std::unique_ptr<CustomShapeDrawer> myCustomShapeDrawer;
        std::unique_ptr<LineDrawer> myLineDrawer;
        std::unique_ptr<GraphicsStateStack> myGraphicsStateStack;
        std::unique_ptr<FullscreenEffect> myCopyEffect;
        std::unique_ptr<FullscreenEffect> myTonemapEffect;
        std::unique_ptr<FullscreenEffect> myGaussianVerticalEffect;
        std::unique_ptr<FullscreenEffect> myGaussianHorizontalEffect;
        std::unique_ptr<FullscreenPixelateEffect> myPixelateEffect;
    };
}
