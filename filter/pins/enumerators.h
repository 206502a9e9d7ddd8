// The decoder's pins enumerate with filter/dshow's snapshot enumerators.
#pragma once
#include "filter/dshow/enumerators.h"
