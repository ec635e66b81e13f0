#include "app/common/extended_real.h"
