#include "tavrin/version.h"

const char* TavrinVersion() { return TAVRIN_VERSION_STRING; }
