#include "monitor/InputReport.h"
