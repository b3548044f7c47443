#include "monitor/ButtonGrid.h"
