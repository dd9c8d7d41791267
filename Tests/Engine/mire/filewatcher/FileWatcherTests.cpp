#include "mire/filewatcher/FileWatcher.h"
#include "Support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace Vela;
using namespace VelaTest;
namespace fs = std::filesystem;

namespace
{
    // Moves a file's modification time by a whole second, as a save does.
    void Touch(const fs::path& aPath, int aSeconds = 1)
    {
        fs::last_write_time(aPath, fs::last_write_time(aPath) + std::chrono::seconds(aSeconds));
    }

    // Lets the watch thread poll once after every change so far, then flushes; whether aDone holds.
    template <typename Predicate>
    bool FlushUntil(FileWatcher& aWatcher, Predicate aDone)
    {
        aWatcher.WaitForPollForTesting();
        aWatcher.FlushChanges();
        return aDone();
    }

    // Lets the watch thread poll a few more times, then flushes once more.
    void SettleAndFlush(FileWatcher& aWatcher)
    {
        for (int poll = 0; poll < 3; ++poll)
            aWatcher.WaitForPollForTesting();
        aWatcher.FlushChanges();
    }
}

TEST(FileWatcher, OneChangeRunsEveryCallbackOnceInRegistrationOrder)
{
    TempDirectory directory;
    const fs::path file = directory.Write("Textures/rock_C.dds", "one");
    FileWatcher watcher(true);
    std::vector<std::string> calls;
    ASSERT_TRUE(watcher.WatchFileChange(file.string(), [&] { calls.push_back("texture"); }));
    ASSERT_TRUE(watcher.WatchFileChange(file.string(), [&] { calls.push_back("model"); }));
    EXPECT_TRUE(watcher.IsWatching());

    SettleAndFlush(watcher);
    EXPECT_TRUE(calls.empty()); // registering is not a change

    // Saved twice before the next frame: reported once.
    Touch(file);
    Touch(file);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return !calls.empty(); }));
    SettleAndFlush(watcher);
    EXPECT_EQ(calls, (std::vector<std::string>{"texture", "model"}));

    // A later save runs them again; an older time (a restored copy) counts as a change too.
    calls.clear();
    Touch(file, -5);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return calls.size() == 2; }));
    SettleAndFlush(watcher);
    EXPECT_EQ(calls.size(), 2u);
}

TEST(FileWatcher, SlashAndBackslashSpellingsShareOneCallbackList)
{
    // On this file system a backslash is part of a name, so both spellings can exist side by side.
    TempDirectory directory;
    const fs::path slashed = directory.Write("a/b.png", "x");
    const fs::path backslashed = directory.Write("a\\b.png", "x");
    FileWatcher watcher(true);
    int count = 0;
    ASSERT_TRUE(watcher.WatchFileChange(backslashed.string(), [&] { ++count; }));
    ASSERT_TRUE(watcher.WatchFileChange(slashed.string(), [&] { count += 10; }));
    Touch(slashed);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return count != 0; }));
    SettleAndFlush(watcher);
    EXPECT_EQ(count, 11);
}

TEST(FileWatcher, RefusesWhenOffOrMissing)
{
    TempDirectory directory;
    const fs::path file = directory.Write("model.fbx", "x");
    FileWatcher off(false);
    bool called = false;
    EXPECT_FALSE(off.WatchFileChange(file.string(), [&] { called = true; }));
    EXPECT_FALSE(off.IsWatching());
    Touch(file);
    off.FlushChanges();

    FileWatcher on(true);
    EXPECT_FALSE(on.WatchFileChange((directory.Path() / "missing.fbx").string(), [&] { called = true; }));
    EXPECT_FALSE(on.IsWatching());
    directory.Write("missing.fbx", "now here");
    on.FlushChanges();
    EXPECT_FALSE(called);
}

TEST(FileWatcher, DeletedAndReplacedFilesNeverCrashTheWatcher)
{
    TempDirectory directory;
    const fs::path file = directory.Write("level.png", "first");
    FileWatcher watcher(true);
    int count = 0;
    ASSERT_TRUE(watcher.WatchFileChange(file.string(), [&] { ++count; }));

    // Deleted: nothing to report while it is gone.
    fs::remove(file);
    SettleAndFlush(watcher);
    EXPECT_EQ(count, 0);

    // Replaced the way editors save (write a new file, rename over the old one).
    const fs::path temporary = directory.Write("level.png.tmp", "second");
    fs::last_write_time(temporary, fs::file_time_type::clock::now() + std::chrono::seconds(3));
    fs::rename(temporary, file);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return count == 1; }));
}

TEST(FileWatcher, RegistrationsRaceEachOtherPollingAndFlushing)
{
    TempDirectory directory;
    std::vector<fs::path> files;
    for (int i = 0; i < 16; ++i)
        files.push_back(directory.Write("f" + std::to_string(i), "x"));

    for (int round = 0; round < 20; ++round)
    {
        FileWatcher watcher(true);
        std::atomic<int> registered{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < 16; ++i)
                    if (watcher.WatchFileChange(files[(i + t) % files.size()].string(), [] {}))
                        ++registered;
            });
        for (int i = 0; i < 10; ++i)
            watcher.FlushChanges();
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(registered, 8 * 16);
        EXPECT_TRUE(watcher.IsWatching());
    }
}

TEST(FileWatcher, CallbacksMayRegisterMoreFilesAndTheDestructorStopsTheThread)
{
    TempDirectory directory;
    const fs::path first = directory.Write("first.dds", "x");
    const fs::path second = directory.Write("second.dds", "x");
    auto watcher = std::make_unique<FileWatcher>(true);
    bool secondChanged = false;
    bool registeredSecond = false;
    ASSERT_TRUE(watcher->WatchFileChange(first.string(), [&] {
        // A reload that loads a further file registers it from inside the flush.
        registeredSecond = watcher->WatchFileChange(second.string(), [&] { secondChanged = true; });
    }));
    Touch(first);
    ASSERT_TRUE(FlushUntil(*watcher, [&] { return registeredSecond; }));
    Touch(second);
    ASSERT_TRUE(FlushUntil(*watcher, [&] { return secondChanged; }));

    // Destroyed mid-sleep: the thread wakes and is joined.
    watcher.reset();
    SUCCEED();
}
