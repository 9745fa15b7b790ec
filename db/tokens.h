#pragma once
// Only the layer itself makes databases and recordsets.
#include "db/dao.h"

namespace merivex
{

struct Database::Token {
};
struct Recordset::Token {
};

} // namespace merivex
