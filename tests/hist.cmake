# History playback: header checks and window arithmetic, the history document and
# panel, the playback digit view with its printing, taking data out (CSV, nuv-export,
# waveform pictures).
nuv_test(tst_hist_layout SOURCES tst_hist_layout.cpp)
nuv_test(tst_hist_doc SOURCES tst_hist_doc.cpp GUI)
nuv_test(tst_hist_digitvw SOURCES tst_hist_digitvw.cpp GUI)
nuv_test(tst_hist_export SOURCES tst_hist_export.cpp GUI)
target_compile_definitions(tst_hist_export PRIVATE NUV_EXPORT="$<TARGET_FILE:nuv-export>")
add_dependencies(tst_hist_export nuv-export)
