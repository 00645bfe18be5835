scale.obj: ../scale.c
