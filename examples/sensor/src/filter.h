#ifndef FILTER_H
#define FILTER_H

void FilterInit(void);
void FilterPoll(void);

#endif
