#include "SimAccess.h"
