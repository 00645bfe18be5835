#include "main.h"

int main(void) {
  for (;;) {
  }
}
