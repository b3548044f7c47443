#include "hid/IdentityText.h"
