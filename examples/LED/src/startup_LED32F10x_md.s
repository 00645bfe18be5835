                AREA    RESET, DATA, READONLY
                EXPORT  __Vectors
__Vectors       DCD     0x20005000
                DCD     Reset_Handler
                AREA    |.text|, CODE, READONLY
Reset_Handler   PROC
                EXPORT  Reset_Handler
                IMPORT  __main
                LDR     R0, =__main
                BX      R0
                ENDP
                END
