// A test program for the guard that runs a whole program as one ctest entry
// (gtest_program.py): one test that passes and one that always skips, so
// that the suite can show the guard passing the first and failing a run of
// the second alone. Not discovered test by test: the guard's own entries in
// tests/support/CMakeLists.txt pick the tests by filter.
#include <gtest/gtest.h>

TEST(GuardProbe, Runs) { SUCCEED(); }

TEST(GuardProbe, Skips) { GTEST_SKIP() << "a probe that never runs"; }
