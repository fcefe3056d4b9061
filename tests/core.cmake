nuv_test(tst_core_aitypes SOURCES tst_core_aitypes.cpp)
nuv_test(tst_core_fileheader SOURCES tst_core_fileheader.cpp)
nuv_test(tst_core_messages SOURCES tst_core_messages.cpp)
