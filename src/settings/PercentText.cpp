#include "settings/PercentText.h"
