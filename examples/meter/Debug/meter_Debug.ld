INCLUDE "meter_Debug_library.ld"
