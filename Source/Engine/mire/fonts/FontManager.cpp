#include "mire/fonts/FontManager.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

namespace Vela
{
    namespace
    {
        constexpr size_t INITIAL_BUCKETS = 8;
    }

    FontManager::FontManager()
    {
        myFonts.max_load_factor(1.0f);
        myFonts.rehash(INITIAL_BUCKETS);
    }

    FontManager::~FontManager()
    {
        if (myLibrary != nullptr)
        {
            FT_Done_FreeType(myLibrary);
            myLibrary = nullptr;
        }
        myFonts.clear();
    }

    bool FontManager::Init()
    {
        if (myLibrary != nullptr)
        {
            return true;
        }
        const FT_Error error = FT_Init_FreeType(&myLibrary);
        if (error != 0)
        {
            printf("Could not start the FreeType library (error %d)\n", error);
            myLibrary = nullptr;
            return false;
        }
        return true;
    }
}
