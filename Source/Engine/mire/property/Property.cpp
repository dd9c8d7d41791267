#include "mire/property/Property.h"

#include <cstring>

namespace Vela
{
    Property::Property(const PropertyTypeBase* aType, const nlohmann::json& aJson)
    {
        std::memset(myStorage, 0, sizeof(myStorage));
        myType = aType;
        if (!myType)
        {
            return;
        }
        try
        {
            myType->ReadJson(myStorage, aJson);
        }
        catch (...)
        {
            myType->Destroy(myStorage);
            throw;
        }
    }

    Property::Property(const Property& aOther) : myType(aOther.myType)
    {
        if (myType)
        {
            myType->CopyConstruct(aOther.myStorage, myStorage);
        }
    }

    Property::Property(Property&& aOther) : myType(aOther.myType)
    {
        if (myType)
        {
            myType->MoveConstruct(aOther.myStorage, myStorage);
        }
    }

    Property::~Property()
    {
        if (myType)
        {
            myType->Destroy(myStorage);
        }
    }

    Property& Property::operator=(const Property& aOther)
    {
        Assign(aOther, false);
        return *this;
    }

    Property& Property::operator=(Property&& aOther)
    {
        Assign(aOther, true);
        return *this;
    }

    void Property::Assign(const Property& aOther, bool aMove)
    {
        if (this == &aOther)
        {
            return;
        }
        if (myType)
        {
            myType->Destroy(myStorage);
        }
        std::memset(myStorage, 0, sizeof(myStorage));
        myType = aOther.myType;
        if (myType)
        {
            if (aMove)
            {
                myType->MoveConstruct(const_cast<unsigned char*>(aOther.myStorage), myStorage);
            }
            else
            {
                myType->CopyConstruct(aOther.myStorage, myStorage);
            }
        }
    }
}
