#include "filter.h"

static unsigned int filter_ticks;

void FilterInit(void) { filter_ticks = 0; }
void FilterPoll(void) { ++filter_ticks; }
