#pragma once
// WHO's BMI-for-age LMS tables, embedded at build time from db/who/.
#include <cstddef>

namespace merivex::who
{

struct LmsRow {
    int sex; // 1 boys, 2 girls
    int age; // days in the 2006 standards, whole months in the 2007 reference
    double l, m, s;
};

// WHO Child Growth Standards 2006, ages 0 to 1826 days.
extern const LmsRow standards2006[];
extern const std::size_t standards2006Rows;
// WHO 2007 growth reference, ages 60 to 229 months.
extern const LmsRow reference2007[];
extern const std::size_t reference2007Rows;

} // namespace merivex::who
