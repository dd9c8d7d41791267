#pragma once
#include <memory>

namespace Vela
{
    class AnimatedModelInstance;
    class ModelInstance;
    class ModelShader;

    // Owns the engine's six stock model shaders and draws model instances with them (or with a
    // caller's own shader).
    class ModelDrawer
    {
    public:
        ModelDrawer();
        ~ModelDrawer();
        ModelDrawer(const ModelDrawer&) = delete;
        ModelDrawer& operator=(const ModelDrawer&) = delete;

        // Loads all six; false at the first that fails.
        bool Init();

        void Draw(ModelInstance& anInstance);
        void Draw(ModelInstance& anInstance, ModelShader& aShader);
        void Draw(AnimatedModelInstance& anInstance);
        void Draw(AnimatedModelInstance& anInstance, ModelShader& aShader);

        ModelShader* GetDefaultShader() const { return myDefaultShader.get(); }
        ModelShader* GetAnimatedShader() const { return myAnimatedShader.get(); }
        ModelShader* GetPbrShader() const { return myPbrShader.get(); }
        ModelShader* GetAnimatedPbrShader() const { return myAnimatedPbrShader.get(); }
        ModelShader* GetLambertShader() const { return myLambertShader.get(); }
        ModelShader* GetAnimatedLambertShader() const { return myAnimatedLambertShader.get(); }

    private:
        // Destroyed in reverse order: animated Lambert first, default last.
        std::unique_ptr<ModelShader> myDefaultShader;
        std::unique_ptr<ModelShader> myAnimatedShader;
        std::unique_ptr<ModelShader> myPbrShader;
        std::unique_ptr<ModelShader> myAnimatedPbrShader;
        std::unique_ptr<ModelShader> myLambertShader;
        std::unique_ptr<ModelShader> myAnimatedLambertShader;
    };
}
