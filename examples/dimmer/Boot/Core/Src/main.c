int main(void) {
  for (;;) {
  }
}
