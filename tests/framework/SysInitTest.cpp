// Procedures run when the program ends.
#include "SysInit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

void First() { std::fputs("first;", stderr); }
void Second() { std::fputs("second;", stderr); }

TEST(SysInit, ExitProceduresRunOnceEachLatestFirst) {
    EXPECT_EXIT(
        {
            AddExitProc(First);
            AddExitProc(Second);
            AddExitProc(First);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "^second;first;$");
}

}  // namespace
