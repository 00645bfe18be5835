src/main.o: ../src/main.c
