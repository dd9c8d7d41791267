#include "mire/filewatcher/FileWatcher.h"

#include <algorithm>
#include <chrono>

namespace Vela
{
    namespace
    {
        constexpr std::chrono::nanoseconds POLL_PERIOD{32'000'000};
    }

    FileWatcher::FileWatcher(bool aEnabled)
        : myEnabled(aEnabled)
    {
    }

    FileWatcher::~FileWatcher()
    {
        {
            std::lock_guard lock(myStopLock);
            myStopRequested = true;
        }
        myStopSignal.notify_all();
        std::thread thread;
        {
            std::lock_guard lock(myWatchListLock);
            thread = std::move(myThread);
        }
        if (thread.joinable())
            thread.join();
    }

    std::string FileWatcher::CallbackKey(const std::string& aPath)
    {
        std::string key = aPath;
        std::replace(key.begin(), key.end(), '\\', '#');
        std::replace(key.begin(), key.end(), '/', '#');
        return key;
    }

    bool FileWatcher::IsWatching() const
    {
        std::lock_guard lock(myWatchListLock);
        return myThread.joinable();
    }

    bool FileWatcher::WatchFileChange(const std::string& aPath, Callback aCallback)
    {
        if (!myEnabled)
            return false;
        std::error_code error;
        if (!std::filesystem::exists(aPath, error))
            return false;
        // The file may go away between the test and the read: then there is nothing to watch yet.
        const FileTime time = std::filesystem::last_write_time(aPath, error);
        if (error)
            return false;

        {
            std::lock_guard lock(myCallbackLock);
            myCallbacks[CallbackKey(aPath)].push_back(std::move(aCallback));
        }

        // Starting the thread under the watch-list lock makes concurrent first registrations start exactly one.
        std::lock_guard lock(myWatchListLock);
        myWatchedFiles[aPath] = time;
        if (!myThread.joinable() && !myStopRequested)
            myThread = std::thread(&FileWatcher::UpdateChanges, this);
        return true;
    }

    void FileWatcher::UpdateChanges()
    {
        while (!myStopRequested)
        {
            {
                std::lock_guard changeLock(myChangeLock);
                std::lock_guard watchLock(myWatchListLock);
                for (const auto& [file, time] : myWatchedFiles)
                    CheckFile(file, time);
            }
            const auto wakeUp = std::chrono::steady_clock::now() + POLL_PERIOD;
            std::unique_lock lock(myStopLock);
            ++myPollCount;
            myPollDone.notify_all();
            myStopSignal.wait_until(lock, wakeUp, [this] { return myStopRequested.load() || myPollRequested; });
        }
        std::lock_guard lock(myStopLock);
        myPollDone.notify_all();
    }

    void FileWatcher::WaitForPollForTesting()
    {
        if (!IsWatching())
            return;
        std::unique_lock lock(myStopLock);
        // A poll running now may have read the file before the change: wait for the one after it.
        const uint64_t target = myPollCount + 2;
        myPollRequested = true;
        myStopSignal.notify_all();
        myPollDone.wait(lock, [&] { return myPollCount >= target || myStopRequested.load(); });
        myPollRequested = false;
    }

    void FileWatcher::CheckFile(const std::string& aFile, FileTime aLastTime)
    {
        // Editors delete or atomically replace files while saving: a file that cannot be read now
        // has simply not changed yet.
        std::error_code error;
        const FileTime time = std::filesystem::last_write_time(aFile, error);
        if (error || time == aLastTime)
            return;
        if (std::find(myPendingChanges.begin(), myPendingChanges.end(), aFile) == myPendingChanges.end())
            myPendingChanges.push_back(aFile);
        myWatchedFiles[aFile] = time;
    }

    void FileWatcher::FlushChanges()
    {
        if (!myEnabled || !IsWatching())
            return;
        std::lock_guard flushLock(myFlushLock);
        {
            std::lock_guard lock(myChangeLock);
            myFlushingChanges.swap(myPendingChanges);
        }
        // Callbacks run without the change lock, so one that registers another file cannot stall polling.
        for (const std::string& path : myFlushingChanges)
        {
            std::vector<Callback> callbacks;
            {
                std::lock_guard lock(myCallbackLock);
                const auto found = myCallbacks.find(CallbackKey(path));
                if (found != myCallbacks.end())
                    callbacks = found->second;
            }
            for (const Callback& callback : callbacks)
                if (callback)
                    callback();
        }
        myFlushingChanges.clear();
    }
}
