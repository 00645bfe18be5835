#include <xc.h>
#include "uart.h"

void uart_init(void) { U1CON0 = 0x30; }
void uart_put(char c) { while (!U1FIFObits.TXBE) {} U1TXB = c; }
