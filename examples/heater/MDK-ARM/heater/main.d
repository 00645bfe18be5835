heater/main.o: ../Core/Src/main.c
