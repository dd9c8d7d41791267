// The program's entry: runs the game and turns a failed start or an escaped error into a message on
// standard error and a non-zero exit status.
#include "Spine/ProgramEntry.h"

#include <cstdio>
#include <exception>

int main()
{
    try
    {
        return Go() ? 0 : 1;
    }
    catch (const std::exception& error)
    {
        fprintf(stderr, "The game stopped: %s\n", error.what());
    }
    catch (...)
    {
        fprintf(stderr, "The game stopped on an unknown error\n");
    }
    return 1;
}
