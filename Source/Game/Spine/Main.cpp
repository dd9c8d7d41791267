// The program's entry.
#include "Spine/ProgramEntry.h"

int main()
{
    return RunGame();
}
