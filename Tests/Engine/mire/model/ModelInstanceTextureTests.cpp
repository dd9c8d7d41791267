// Instances keep their own copy of the texture slots: writing one slot changes only that instance and slot.
#include "mire/model/AnimatedModelInstance.h"
#include "mire/model/ModelInstance.h"
#include "mire/texture/Texture.h"

#include <gtest/gtest.h>

namespace
{
    template <typename Instance>
    void CheckSlotWrites()
    {
        const Vela::Texture first;
        const Vela::Texture second;
        Instance instance;
        instance.SetTexture(2, 3, &first);
        instance.SetMeshTextures(1, { &second, nullptr, &first, nullptr });
        // Out of range: ignored, nothing else touched.
        instance.SetTexture(4, 0, &second);
        instance.SetTexture(0, 4, &second);
        instance.SetMeshTextures(7, { &second, &second, &second, &second });

        const Vela::ModelTextures& textures = instance.GetTextures();
        for (size_t mesh = 0; mesh < textures.size(); ++mesh)
        {
            for (size_t slot = 0; slot < textures[mesh].size(); ++slot)
            {
                const Vela::Texture* expected = nullptr;
                if ((mesh == 2 && slot == 3) || (mesh == 1 && slot == 2))
                    expected = &first;
                if (mesh == 1 && slot == 0)
                    expected = &second;
                EXPECT_EQ(textures[mesh][slot], expected) << "mesh " << mesh << " slot " << slot;
            }
        }

        Instance copy = instance;
        copy.SetTexture(2, 3, nullptr);
        EXPECT_EQ(instance.GetTextures()[2][3], &first);
    }
}

TEST(ModelInstanceTextures, SlotWritesStayInTheirSlotAndInstance)
{
    CheckSlotWrites<Vela::ModelInstance>();
    CheckSlotWrites<Vela::AnimatedModelInstance>();
}
