# Live acquisition: document, worker, recording, panel, live digit view, statistics list.
nuv_test(tst_acq_doc SOURCES tst_acq_doc.cpp GUI)
nuv_test(tst_acq_recording SOURCES tst_acq_recording.cpp GUI)
nuv_test(tst_acq_panel SOURCES tst_acq_panel.cpp GUI)
nuv_test(tst_acq_views SOURCES tst_acq_views.cpp GUI)
add_executable(acq_record_helper tst_acq_killhelper.cpp)
target_link_libraries(acq_record_helper PRIVATE nuvgui)
nuv_test(tst_acq_kill SOURCES tst_acq_kill.cpp tst_acq_kill.h GUI)
target_compile_definitions(tst_acq_kill PRIVATE ACQ_KILL_HELPER="$<TARGET_FILE:acq_record_helper>")
add_dependencies(tst_acq_kill acq_record_helper)
# The worker's sharing contract without windows (also run under ThreadSanitizer).
nuv_test(tst_acq_shared SOURCES tst_acq_shared.cpp)
