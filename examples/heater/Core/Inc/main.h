#ifndef MAIN_H
#define MAIN_H

void Error_Handler(void);

#endif
