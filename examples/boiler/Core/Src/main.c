void Relay_Set(int on);

int main(void) {
  Relay_Set(1);
  for (;;) {
  }
}
