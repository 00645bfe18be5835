#include "main.h"
#include "heater_ctrl.h"

int main(void) {
  for (;;) heater_ctrl_step(21u);
}

void Error_Handler(void) {
  for (;;) {
  }
}
