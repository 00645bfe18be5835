#include "led.h"

int main(void) {
  LedInit();
  for (;;) {
    LedPoll();
  }
}
