#pragma once
// The objects of the graphics layer: reference-counted interfaces in the shape the engine's renderer was written
// against (resources, views, states, shaders, input layouts).
//
// Ownership: every object starts with one reference, owned by whoever received it from a creation call.
// AddRef/Release are thread-safe; the last Release destroys the object. Views hold a reference to their resource,
// the immediate context holds references to what is bound to it, and a swap chain to its back buffer. Ref<T>
// (below) does the counting for callers who prefer a smart pointer; raw pointers with Release() work as well.
//
// Threads: see GfxDevice.h. Objects are immutable after creation apart from the contents that Map/Unmap and
// UpdateSubresource write, which only the immediate context does.
#include <atomic>
#include <cstdint>
#include <utility>

#include "Platform/graphics/GfxTypes.h"

namespace Vela::Gfx
{
    class Object
    {
    public:
        uint32_t AddRef();
        uint32_t Release();

    protected:
        Object() = default;
        virtual ~Object() = default;
        Object(const Object&) = delete;
        Object& operator=(const Object&) = delete;

    private:
        std::atomic<uint32_t> myReferenceCount{1};
    };

    enum class ResourceDimension : uint32_t
    {
        UNKNOWN = 0,
        BUFFER = 1,
        TEXTURE2D = 3,
    };

    class Resource : public Object
    {
    public:
        virtual ResourceDimension GetType() const = 0;
    };

    class Buffer : public Resource
    {
    public:
        virtual void GetDesc(BufferDesc* aDesc) const = 0;
    };

    class Texture2D : public Resource
    {
    public:
        virtual void GetDesc(Texture2DDesc* aDesc) const = 0;
    };

    class View : public Object
    {
    public:
        // The viewed resource with a new reference (the caller releases it).
        virtual void GetResource(Resource** aResource) const = 0;
    };

    class ShaderResourceView : public View
    {
    public:
        virtual void GetDesc(ShaderResourceViewDesc* aDesc) const = 0;
    };

    class RenderTargetView : public View
    {
    public:
        virtual void GetDesc(RenderTargetViewDesc* aDesc) const = 0;
    };

    class DepthStencilView : public View
    {
    public:
        virtual void GetDesc(DepthStencilViewDesc* aDesc) const = 0;
    };

    class BlendState : public Object
    {
    public:
        virtual void GetDesc(BlendDesc* aDesc) const = 0;
    };

    class DepthStencilState : public Object
    {
    public:
        virtual void GetDesc(DepthStencilDesc* aDesc) const = 0;
    };

    class RasterizerState : public Object
    {
    public:
        virtual void GetDesc(RasterizerDesc* aDesc) const = 0;
    };

    class SamplerState : public Object
    {
    public:
        virtual void GetDesc(SamplerDesc* aDesc) const = 0;
    };

    class VertexShader : public Object
    {
    };

    class PixelShader : public Object
    {
    };

    class InputLayout : public Object
    {
    };

    // An owning pointer that adds and releases references. Made from a raw pointer it adds a reference of its own
    // (as a copy does); Attach takes over a reference the caller already holds.
    template <typename T>
    class Ref
    {
    public:
        Ref() = default;
        Ref(std::nullptr_t) {}
        Ref(T* aPointer) : myPointer(aPointer) { if (myPointer) myPointer->AddRef(); }
        Ref(const Ref& anOther) : Ref(anOther.myPointer) {}
        Ref(Ref&& anOther) noexcept : myPointer(std::exchange(anOther.myPointer, nullptr)) {}
        ~Ref() { Reset(); }

        Ref& operator=(const Ref& anOther)
        {
            Ref copy(anOther);
            std::swap(myPointer, copy.myPointer);
            return *this;
        }
        Ref& operator=(Ref&& anOther) noexcept
        {
            Ref moved(std::move(anOther));
            std::swap(myPointer, moved.myPointer);
            return *this;
        }

        void Reset()
        {
            if (T* pointer = std::exchange(myPointer, nullptr))
                pointer->Release();
        }
        // Takes over a reference the caller already owns.
        void Attach(T* aPointer)
        {
            Reset();
            myPointer = aPointer;
        }
        // Gives up the reference without releasing it.
        T* Detach() { return std::exchange(myPointer, nullptr); }

        T* Get() const { return myPointer; }
        T* operator->() const { return myPointer; }
        T& operator*() const { return *myPointer; }
        explicit operator bool() const { return myPointer != nullptr; }

        // For creation calls: releases what is held and gives the slot to fill.
        T** ReleaseAndGetAddressOf()
        {
            Reset();
            return &myPointer;
        }
        T** GetAddressOf() { return &myPointer; }
        // For calls taking an array of one.
        T* const* GetArray() const { return &myPointer; }

    private:
        T* myPointer = nullptr;
    };
}
