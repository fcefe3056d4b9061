# Live acquisition: document, worker, recording, panel, live digit view, statistics list.
nuv_test(tst_acq_doc SOURCES tst_acq_doc.cpp GUI)
nuv_test(tst_acq_recording SOURCES tst_acq_recording.cpp GUI)
nuv_test(tst_acq_panel SOURCES tst_acq_panel.cpp GUI)
nuv_test(tst_acq_views SOURCES tst_acq_views.cpp GUI)
