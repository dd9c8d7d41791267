#include "mire/core/JsonDocument.h"

#include <stdexcept>
#include <string>

namespace Vela
{
    nlohmann::json ParseJsonDocument(std::string_view aText, std::string_view aFileName)
    {
        // The depth given with a start event counts the levels around the new one.
        const auto checkDepth = [aFileName](int aDepth, nlohmann::json::parse_event_t anEvent, nlohmann::json&) {
            const bool opens = anEvent == nlohmann::json::parse_event_t::object_start || anEvent == nlohmann::json::parse_event_t::array_start;
            if (opens && aDepth >= MAX_JSON_NESTING)
            {
                throw std::runtime_error(std::string(aFileName) + ": JSON nested deeper than " + std::to_string(MAX_JSON_NESTING) + " levels");
            }
            return true;
        };
        return nlohmann::json::parse(aText.begin(), aText.end(), checkDepth);
    }
}
