#include "CC2530Hw.h"

int main(void) {
  CC2530_RadioInit();
  for (;;) {
  }
}
