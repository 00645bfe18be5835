Core/Src/main.o: ../Core/Src/main.c
