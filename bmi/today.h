#pragma once
#include "db/today.h"
