#pragma once
#include <string>
#include <string_view>

namespace Vela::Platform
{
    // UTF-8 to wide text (UTF-32 code points in wchar_t on Linux). Malformed sequences become U+FFFD,
    // as the desktop system's code-page conversion replaces what it cannot map.
    std::wstring Utf8ToWide(std::string_view aText);
    std::string WideToUtf8(std::wstring_view aText);
}
