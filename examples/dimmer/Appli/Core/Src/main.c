#include "dimmer_pwm.h"

int main(void) {
  dimmer_pwm_set(40);
  for (;;) {
  }
}
