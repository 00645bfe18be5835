OBJS += ./src/main.o
