// Runs the C99 client compiled into this test program.
#include <gtest/gtest.h>

extern "C" int capi_c_smoke(void);

TEST(CApiFromC, TheHeaderCompilesAsC99AndAnswers) {
    EXPECT_EQ(capi_c_smoke(), 0) << "the number of the first wrong step";
}
