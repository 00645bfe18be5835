#include "uart.h"

int main(void) {
  UartInit();
  for (;;) {
    UartPoll();
  }
}
