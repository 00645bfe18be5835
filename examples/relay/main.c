#include "relay_io.h"

int main(void) {
  relay_io_init();
  for (;;) {
  }
}
