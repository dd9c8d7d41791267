// What the importer keeps between imports and gives back when it is torn down.
#include "FbxTestWriter.h"
#include "ImporterInternal.h"
#include "ImporterTestSupport.h"

#include <fstream>
#include <malloc.h>
#include <unistd.h>

using VelaTest::FbxTestWriter;

namespace
{
    // Resident bytes of this process.
    size_t ResidentBytes()
    {
        size_t pages = 0, resident = 0;
        std::ifstream("/proc/self/statm") >> pages >> resident;
        return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
    }

    // A grid of aSide x aSide quads with UVs: 2 x aSide^2 triangles.
    std::string GridFile(int aSide)
    {
        FbxTestWriter writer;
        std::vector<FbxTestWriter::Vec3> points;
        for (int y = 0; y <= aSide; ++y)
            for (int x = 0; x <= aSide; ++x)
                points.push_back({x * 0.5, y * 0.5, 0.0});
        std::vector<std::vector<int>> polygons;
        for (int y = 0; y < aSide; ++y)
            for (int x = 0; x < aSide; ++x)
            {
                const int corner = y * (aSide + 1) + x;
                polygons.push_back({corner, corner + 1, corner + aSide + 2, corner + aSide + 1});
            }
        writer.AddMesh(writer.AddModel("Grid", "Mesh", 0), points, polygons);
        return writer.Build();
    }
}

TEST(ImporterMemory, ALargeImportLeavesBoundedScratchAndTearDownGivesBackTheRest)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's own allocator: the C library's heap figures do not apply";
#endif
    VelaTest::TempDirectory folder;
    const std::string path = folder.Write("grid.fbx", GridFile(400)).string();  // 320,000 triangles
    VelaFBX::UninitImporter();
    malloc_trim(0);
    const size_t residentBefore = ResidentBytes();
    const size_t usedBefore = mallinfo2().uordblks;

    VelaFBX::InitImporter();
    {
        VelaFBX::ImportedModel model;
        ASSERT_TRUE(VelaFBX::LoadModel(path, model, false, true)) << VelaFBX::GetLastError();
        ASSERT_EQ(model.meshes.size(), 1u);
        EXPECT_EQ(model.meshes[0].indices.size(), 320000u * 3u);
        EXPECT_EQ(model.meshes[0].vertices.size(), 401u * 401u);
    }
    // With the model gone, what is still allocated is what the importer keeps: a few MB at most.
    const VelaFBX::MeshScratch& scratch = VelaFBX::GetImporterState().meshScratch;
    EXPECT_LE(scratch.HeldBytes(), VelaFBX::MeshScratch::KEPT_BYTES);
    const size_t usedAfterImport = mallinfo2().uordblks;
    EXPECT_LE(usedAfterImport, usedBefore + VelaFBX::MeshScratch::KEPT_BYTES + (size_t(1) << 20))
        << "still allocated after the model was freed: " << (usedAfterImport - usedBefore) << " bytes";

    // Torn down, the process is back to what it held before (the workers and their heaps included).
    VelaFBX::UninitImporter();
    EXPECT_EQ(scratch.HeldBytes(), 0u);
    const size_t residentAfter = ResidentBytes();
    EXPECT_LE(residentAfter, residentBefore + (size_t(2) << 20))
        << "resident before " << residentBefore << ", after tear-down " << residentAfter;
    VelaFBX::InitImporter();
    VelaFBX::UninitImporter();
}
