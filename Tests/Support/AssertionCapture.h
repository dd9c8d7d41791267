#pragma once
// Engine tests only: collects the engine's assertion reports while in scope.
#include "mire/core/Assert.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace VelaTest
{
    class AssertionCapture
    {
    public:
        AssertionCapture()
        {
            myPrevious = Vela::SetAssertionHandler([this](const char* aExpression, const char*, int) {
                std::lock_guard lock(myMutex);
                myExpressions.emplace_back(aExpression);
            });
        }
        ~AssertionCapture() { Vela::SetAssertionHandler(std::move(myPrevious)); }
        AssertionCapture(const AssertionCapture&) = delete;
        AssertionCapture& operator=(const AssertionCapture&) = delete;

        std::vector<std::string> Expressions() const
        {
            std::lock_guard lock(myMutex);
            return myExpressions;
        }
        size_t Count() const { return Expressions().size(); }
        bool Contains(const std::string& aText) const
        {
            auto all = Expressions();
            return std::any_of(all.begin(), all.end(), [&](const std::string& e) { return e.find(aText) != std::string::npos; });
        }

    private:
        mutable std::mutex myMutex;
        std::vector<std::string> myExpressions;
        Vela::AssertionHandler myPrevious;
    };
}
