// tlvplay's filters stand on the filter base of filter/dshow.
#pragma once
#include "filter/dshow/base_filter.h"
