#include "update/firmwarecache.h"
