#include "FileOutput.h"

#include <cstdio>
#include <fstream>

namespace Vela::Content
{
    namespace
    {
        bool Write(const std::filesystem::path& aPath, const char* aData, size_t aSize)
        {
            std::error_code error;
            if (aPath.has_parent_path())
                std::filesystem::create_directories(aPath.parent_path(), error);
            std::ofstream file(aPath, std::ios::binary | std::ios::trunc);
            if (file)
                file.write(aData, std::streamsize(aSize));
            if (!file)
            {
                std::fprintf(stderr, "Cannot write %s\n", aPath.string().c_str());
                return false;
            }
            return true;
        }
    }

    bool WriteFileBytes(const std::filesystem::path& aPath, const std::vector<uint8_t>& someBytes)
    {
        return Write(aPath, reinterpret_cast<const char*>(someBytes.data()), someBytes.size());
    }

    bool WriteFileText(const std::filesystem::path& aPath, std::string_view aText) { return Write(aPath, aText.data(), aText.size()); }
}
