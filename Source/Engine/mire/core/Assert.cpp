#include "mire/core/Assert.h"

#include <cstdio>
#include <mutex>

namespace Vela
{
    namespace
    {
        std::mutex ourHandlerMutex;
        AssertionHandler& Handler()
        {
            static AssertionHandler handler;
            return handler;
        }
    }

    void ReportAssertion(const char* aExpression, const char* aFile, int aLine)
    {
        AssertionHandler handler;
        {
            std::lock_guard lock(ourHandlerMutex);
            handler = Handler();
        }
        if (handler)
        {
            handler(aExpression, aFile, aLine);
            return;
        }
        std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", aExpression, aFile, aLine);
        std::fflush(stderr);
    }

    AssertionHandler SetAssertionHandler(AssertionHandler aHandler)
    {
        std::lock_guard lock(ourHandlerMutex);
        AssertionHandler previous = std::move(Handler());
        Handler() = std::move(aHandler);
        return previous;
    }
}
