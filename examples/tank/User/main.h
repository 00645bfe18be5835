int level(void);
