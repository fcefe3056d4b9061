nuv_test(tst_cal_ranges SOURCES tst_cal_ranges.cpp)
nuv_test(tst_cal_dialog SOURCES tst_cal_dialog.cpp GUI)
