#include "Platform/file/WholeFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>

namespace Vela::Platform
{
    bool ReadWholeFile(const std::filesystem::path& aPath, std::string& aOutBytes, std::string& aOutReason)
    {
        aOutBytes.clear();
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(aPath, error);
        if (!std::filesystem::exists(status))
        {
            aOutReason = "not found";
            return false;
        }
        if (std::filesystem::is_directory(status))
        {
            aOutReason = "is a folder, not a file";
            return false;
        }
        if (!std::filesystem::is_regular_file(status))
        {
            aOutReason = "is not a regular file";
            return false;
        }
        errno = 0;
        std::ifstream file(aPath, std::ios::binary);
        if (!file)
        {
            aOutReason = std::string("cannot be opened (") + (errno != 0 ? std::strerror(errno) : "unknown reason") + ")";
            return false;
        }
        try
        {
            aOutBytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
        catch (const std::bad_alloc&)
        {
            aOutBytes.clear();
            aOutReason = "is too large to read";
            return false;
        }
        catch (const std::exception&)
        {
            aOutBytes.clear();
            aOutReason = "cannot be read";
            return false;
        }
        if (file.bad())
        {
            aOutBytes.clear();
            aOutReason = "cannot be read";
            return false;
        }
        return true;
    }
}
