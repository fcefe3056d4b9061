nuv_test(tst_dio_reader SOURCES tst_dio_reader.cpp)
nuv_test(tst_dio_panel SOURCES tst_dio_panel.cpp GUI)
nuv_test(tst_dio_exit SOURCES tst_dio_exit.cpp GUI)
