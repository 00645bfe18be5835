void JumpToApp(void);

int main(void) {
  JumpToApp();
  return 0;
}
