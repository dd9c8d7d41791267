#pragma once
// Reading a whole file without exceptions. The standard file buffer throws when a path opens but cannot be
// read (a folder, on this system) and an allocation throws for a file too large for memory; every loader
// that takes a path the data names reads through this instead, so such a path is a failed load.
#include <filesystem>
#include <string>

namespace Vela::Platform
{
    // The bytes of the regular file at aPath. False, with a short reason ("not found", "is a folder, not a
    // file", ...), for anything else or when the read fails.
    bool ReadWholeFile(const std::filesystem::path& aPath, std::string& aOutBytes, std::string& aOutReason);
}
