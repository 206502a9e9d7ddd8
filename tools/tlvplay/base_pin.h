// tlvplay's pins stand on the pin base of filter/dshow.
#pragma once
#include "filter/dshow/base_pin.h"
