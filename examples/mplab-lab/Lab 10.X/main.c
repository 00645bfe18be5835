#include <xc.h>
#include "uart.h"

void main(void) {
    uart_init();
    for (;;) uart_put('L');
}
