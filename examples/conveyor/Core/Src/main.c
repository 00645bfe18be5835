#include "main.h"

int main(void) {
  BeltInit();
  for (;;) {
    BeltStep();
  }
}
