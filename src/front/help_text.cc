// placeholder until implemented
#include "front/help_text.h"
int PrintVersionBanner(Platform&) { return -1; }
int PrintHelp(Platform&) { return -1; }
