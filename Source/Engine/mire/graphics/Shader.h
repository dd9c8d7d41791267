#pragma once
#include "mire/graphics/DX11.h"

#include "Platform/graphics/Gfx.h"

#include <string>

namespace Vela
{
    // Base of everything that draws with a vertex/pixel shader pair looked up in the device's caches.
    class Shader
    {
    public:
        Shader() = default;
        virtual ~Shader() = default;

        // Loads the class's own fixed pair; the base has none.
        virtual bool Init() { return false; }

        // Looks both shaders up and builds the input layout (the class's own, else the fallback).
        bool CreateShaders(const char* aVertexShaderName, const char* aPixelShaderName);
        // Binds shaders, layout and triangle-list topology, then brings the render state up to date.
        // False (nothing bound) when the shaders are not loaded.
        bool PrepareRender();

        bool IsLoaded() const { return myIsLoaded; }
        const std::string& GetVertexShaderName() const { return myVertexShaderName; }
        const std::string& GetPixelShaderName() const { return myPixelShaderName; }
        const DX11::VertexShaderEntry* GetVertexShaderEntry() const { return myVertexShader; }

    protected:
        // Only classes whose copies may share the cached shaders and the layout make themselves copyable.
        Shader(const Shader&) = default;
        Shader& operator=(const Shader&) = default;
        Shader(Shader&&) = default;
        Shader& operator=(Shader&&) = default;

        // Builds myInputLayout against the vertex shader's bytecode; false asks for the fallback layout.
        virtual bool CreateInputLayout(const std::string& /*aVertexShaderBytecode*/) { return false; }

        DX11::VertexShaderEntry* myVertexShader = nullptr;
        Gfx::PixelShader* const* myPixelShader = nullptr;
        Gfx::Ref<Gfx::InputLayout> myInputLayout;
        bool myIsLoaded = false;
        std::string myVertexShaderName;
        std::string myPixelShaderName;
    };
}
