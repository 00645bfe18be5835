C_SRCS :=
