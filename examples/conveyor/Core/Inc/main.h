#ifndef MAIN_H
#define MAIN_H

void BeltInit(void);
void BeltStep(void);

#endif
