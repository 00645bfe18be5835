#include "fan_pwm.h"

int main(void) {
  fan_pwm_init();
  for (;;) fan_pwm_set(50u);
}
