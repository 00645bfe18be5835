#include "filter.h"

int main(void) {
  FilterInit();
  for (;;) {
    FilterPoll();
  }
}
