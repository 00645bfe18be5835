main.obj: ../main.c
