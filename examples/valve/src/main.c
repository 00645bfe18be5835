#include "adc.h"

int main(void) {
  AdcInit();
  for (;;) {
    AdcPoll();
  }
}
