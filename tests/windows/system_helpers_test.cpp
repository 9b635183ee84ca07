// The system helpers: the common-controls version INITCOMCTL32 reports and the file versions
// GETSYSFILEVER reads from the system directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "quorvale_client.h"

namespace {

using namespace qvkit;

long double sys_file_ver(const char* name) { return GETSYSFILEVER(DynStr(name).release()); }

// Versions are major + minor / 100: a whole number of hundredths.
bool whole_hundredths(long double v) {
    long double h = v * 100;
    return std::fabs(h - std::round(h)) < 1e-6L;
}

TEST(SystemHelpers, InitComCtl32ForTheDatePickerReportsTheCommonControlsVersion) {
    long double v = INITCOMCTL32(256);
    EXPECT_GE(v, 4.70L - 1e-9L) << "the list and date-picker windows need 4.70 or later";
    EXPECT_TRUE(whole_hundredths(v)) << double(v);
    EXPECT_EQ(v, sys_file_ver("COMCTL32.DLL"));
    EXPECT_EQ(INITCOMCTL32(0), v) << "the default classes do not change the version";
}

TEST(SystemHelpers, GetSysFileVerReadsTheVersionResource) {
    struct Case {
        const char* name;
        bool has_version;
    };
    const Case cases[] = {
        {"kernel32.dll", true},
        {"KERNEL32.DLL", true},
        {"user32.dll", true},
        {"no_such_file_quorvale.dll", false},
        {"", false},                    // the directory itself
        {"drivers\\etc\\hosts", false},  // a file without a version resource
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        long double v = sys_file_ver(c.name);
        if (c.has_version) {
            EXPECT_GT(v, 0.0L);
            EXPECT_TRUE(whole_hundredths(v)) << double(v);
        } else {
            EXPECT_EQ(v, 0.0L);
        }
    }
    EXPECT_EQ(sys_file_ver("kernel32.dll"), sys_file_ver("KERNEL32.DLL"));
}

// A name far longer than a path may be is cut, not read beyond.
TEST(SystemHelpers, GetSysFileVerOfAnOverlongNameIsZero) {
    EXPECT_EQ(sys_file_ver(std::string(600, 'k').c_str()), 0.0L);
}

}  // namespace
