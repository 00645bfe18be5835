#include "heater_ctrl.h"

static unsigned int setpoint = 21u;

void heater_ctrl_step(unsigned int temperature) {
  if (temperature < setpoint) {
    /* switch the heater on */
  }
}
