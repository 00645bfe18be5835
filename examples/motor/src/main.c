#include "pwm.h"

int main(void) {
  PwmInit();
  for (;;) {
    PwmPoll();
  }
}
