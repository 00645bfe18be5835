%.obj: ../%.c
