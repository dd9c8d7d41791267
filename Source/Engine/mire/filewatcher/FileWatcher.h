#pragma once
// Reloads assets when their files change on disk: a background thread polls the modification
// times of the registered files every 32 ms and queues the changed ones; the main thread runs the
// registered callbacks once per frame in FlushChanges, so reloads happen between frames.
// Active only when the engine's "Filewatcher" debug feature is on.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Vela
{
    class FileWatcher
    {
    public:
        using Callback = std::function<void()>;

        // aEnabled: the engine's "Filewatcher" debug feature; off makes every call a no-op.
        explicit FileWatcher(bool aEnabled);
        // Stops the watch thread (waking it from its sleep) and joins it.
        ~FileWatcher();
        FileWatcher(const FileWatcher&) = delete;
        FileWatcher& operator=(const FileWatcher&) = delete;

        // Registers a callback for a file; several may share one file and run in registration order.
        // False (the callback is dropped) when the feature is off or the file does not exist.
        // The first registration starts the watch thread. Safe from any thread.
        bool WatchFileChange(const std::string& aPath, Callback aCallback);

        // Main thread, once per frame: runs the callbacks of every file that changed since the last call.
        // A file that changed several times in between is reported once.
        void FlushChanges();

        // Tests: has the watch thread poll at once and returns when a whole poll that began after this
        // call is done, so a change made before it is queued for the next FlushChanges. Returns at once
        // when nothing is watched.
        void WaitForPollForTesting();

        bool IsEnabled() const { return myEnabled; }
        bool IsWatching() const;

    private:
        using FileTime = std::filesystem::file_time_type;

        void UpdateChanges();
        void CheckFile(const std::string& aFile, FileTime aLastTime);
        static std::string CallbackKey(const std::string& aPath);

        const bool myEnabled;
        std::thread myThread;
        std::vector<std::string> myPendingChanges;
        std::vector<std::string> myFlushingChanges;
        std::map<std::string, std::vector<Callback>> myCallbacks;
        std::map<std::string, FileTime> myWatchedFiles;
        // Lock order: change lock, then watch-list lock. The callback lock is never held with another.
        std::mutex myChangeLock;
        mutable std::mutex myWatchListLock;
        std::mutex myCallbackLock;
        std::mutex myFlushLock; // one flush at a time owns the flush list
        std::condition_variable myStopSignal;
        std::mutex myStopLock;
        std::atomic<bool> myStopRequested{false};
        // Under the stop lock: polls done, and a test waiting for one (the thread then does not sleep).
        std::condition_variable myPollDone;
        uint64_t myPollCount = 0;
        bool myPollRequested = false;
    };
}
