#include "sprinkler_io.h"

int main(void) {
  sprinkler_io_init();
  for (;;) {
  }
}
