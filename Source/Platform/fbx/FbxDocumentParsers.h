#pragma once
// The two file encodings behind ParseDocument; each fills a Document or explains why not.
#include "Platform/fbx/FbxDocument.h"

namespace Vela::Fbx::impl
{
    // Deep enough for every real exporter; shallow enough that recursion cannot exhaust the stack.
    constexpr size_t MAX_RECORD_DEPTH = 64;
    // FBX 7.x only; 6.x files use an object layout the scene layer cannot read.
    constexpr uint32_t MIN_VERSION = 7000;
    constexpr uint32_t MAX_VERSION = 7999;

    bool IsBinaryDocument(std::span<const std::byte> aBytes);
    // Names and string values view aBytes, which the document must hold (Document::source).
    bool ParseBinaryDocument(std::span<const std::byte> aBytes, Document& aOut, std::string& aError);
    bool ParseAsciiDocument(std::span<const std::byte> aBytes, Document& aOut, std::string& aError);
}
