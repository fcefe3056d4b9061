# Substitute device library (device/): its C interface, the simulated modules and their faults.
nuv_test(tst_device_module SOURCES tst_device_module.cpp)
nuv_test(tst_device_ai SOURCES tst_device_ai.cpp)
nuv_test(tst_device_param SOURCES tst_device_param.cpp)
nuv_test(tst_device_io SOURCES tst_device_io.cpp)
# The header must work from plain C.
nuv_test(tst_device_c SOURCES tst_device_c.c)
set_source_files_properties(tst_device_c.c PROPERTIES LANGUAGE C)

# The library exports the functions of its headers and nothing else.
add_test(NAME tst_device_exports
  COMMAND ${CMAKE_COMMAND} -DLIB=$<TARGET_FILE:MDQ4170> -DNM=${CMAKE_NM}
          "-DHEADERS=${CMAKE_SOURCE_DIR}/device/mdq4170.h;${CMAKE_SOURCE_DIR}/device/mdq4170_sim.h"
          -P ${CMAKE_SOURCE_DIR}/device/check_exports.cmake)
