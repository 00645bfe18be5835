heater/heater_ctrl.o: ../Core/Src/heater_ctrl.c
