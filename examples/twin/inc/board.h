void board_init(void);
