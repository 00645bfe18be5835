#include "led.h"

int main(void) {
  led_init();
  for (;;) {
    led_toggle(0);
  }
}
