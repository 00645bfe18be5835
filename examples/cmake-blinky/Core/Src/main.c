#include "main.h"

int main(void) {
  for (;;) lumen_led_toggle();
}
