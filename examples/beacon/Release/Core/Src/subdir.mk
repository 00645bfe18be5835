C_SRCS += ../Core/Src/main.c
