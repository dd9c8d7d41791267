#pragma once
#include <functional>

namespace Vela
{
    // Receives the failed expression's text, the source file and the line.
    using AssertionHandler = std::function<void(const char* aExpression, const char* aFile, int aLine)>;

    // Reports a failed assertion: prints it to standard error (or hands it to the installed handler)
    // and returns, so the caller carries on with its own fallback.
    void ReportAssertion(const char* aExpression, const char* aFile, int aLine);

    // Installs a handler in place of the default report; returns the previous one.
    // An empty handler restores the default.
    AssertionHandler SetAssertionHandler(AssertionHandler aHandler);
}

#define VELA_ASSERT(aExpression) \
    do { if (!(aExpression)) { ::Vela::ReportAssertion(#aExpression, __FILE__, __LINE__); } } while (false)
