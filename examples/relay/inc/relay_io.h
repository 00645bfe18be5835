void relay_io_init(void);
