# History playback: header checks and window arithmetic, the history document and
# panel, the playback digit view with its printing.
nuv_test(tst_hist_layout SOURCES tst_hist_layout.cpp)
nuv_test(tst_hist_doc SOURCES tst_hist_doc.cpp GUI)
nuv_test(tst_hist_digitvw SOURCES tst_hist_digitvw.cpp GUI)
