  .syntax unified
  .global Reset_Handler
Reset_Handler:
  bl main
