C_SRCS += ../scale.c
