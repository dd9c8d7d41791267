#pragma once
#include "mire/property/Property.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>

namespace VelaTest
{
    inline const Vela::PropertyTypeBase* TypeNamed(const char* aName)
    {
        return Vela::PropertyTypeBase::FindType(Vela::StringRegistry::RegisterOrGetString(aName));
    }

    inline Vela::Property Read(const char* aTypeName, const nlohmann::json& aJson)
    {
        return Vela::Property(TypeNamed(aTypeName), aJson);
    }

    inline nlohmann::json Write(const Vela::Property& aProperty)
    {
        nlohmann::json json;
        aProperty.GetType()->WriteJson(aProperty.GetStorage(), json);
        return json;
    }

    // Reading aJson as aTypeName must raise the JSON library's error with this id and message text.
    template <typename Exception>
    void ExpectJsonError(const char* aTypeName, const nlohmann::json& aJson, int aId, const std::string& aMessage)
    {
        try
        {
            Read(aTypeName, aJson);
            ADD_FAILURE() << aTypeName << " accepted " << aJson.dump();
        }
        catch (const Exception& anError)
        {
            EXPECT_EQ(anError.id, aId) << anError.what();
            EXPECT_NE(std::string(anError.what()).find(aMessage), std::string::npos) << anError.what();
        }
    }
}
