#include "testing/LoopbackServer.h"
