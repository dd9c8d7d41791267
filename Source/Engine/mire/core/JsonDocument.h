#pragma once
// Every JSON file the program reads (settings, scene objects, object definitions) is parsed here, so that
// a document nested deeper than the bound is refused before anything copies it: the library parses any
// depth, but copying and reading a value recurse once per level and would run out of stack.
#include <nlohmann/json.hpp>

#include <string_view>

namespace Vela
{
    // Arrays and objects inside one another; the game's own files use fewer than ten.
    constexpr int MAX_JSON_NESTING = 64;

    // aText as one JSON document. Malformed text raises the library's parse error; nesting deeper than
    // MAX_JSON_NESTING raises std::runtime_error naming aFileName.
    nlohmann::json ParseJsonDocument(std::string_view aText, std::string_view aFileName);
}
