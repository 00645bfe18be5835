#ifndef UART_H
#define UART_H

void UartInit(void);
void UartPoll(void);

#endif
