#include "regex/RegexMatcher.h"
