#include "uart.h"

static unsigned int uart_ticks;

void UartInit(void) { uart_ticks = 0; }
void UartPoll(void) { ++uart_ticks; }
