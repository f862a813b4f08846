// Procedures run at the end of the program.
#include "SysInit.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

void AddExitProc(void (*Proc)()) {
    static std::vector<void (*)()> added;
    if (std::find(added.begin(), added.end(), Proc) != added.end()) return;
    added.push_back(Proc);
    std::atexit(Proc);
}
