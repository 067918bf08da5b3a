#include "viewer/ListComparators.h"
