#ifndef HEATER_CTRL_H
#define HEATER_CTRL_H

void heater_ctrl_step(unsigned int temperature);

#endif
