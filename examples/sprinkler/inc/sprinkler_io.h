void sprinkler_io_init(void);
