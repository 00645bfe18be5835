C_SRCS += ../source/meter.c
