void uart_init(void);
void uart_put(char c);
