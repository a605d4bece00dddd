#include <gtest/gtest.h>

#include "crash_report_win32.h"

int main(int argc, char** argv) {
    stz::standin::InstallCrashReport();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
