C_SRCS += ../main.c
