void main(void) { for (;;) {} }
