# Live acquisition: document, worker, recording, panel, live digit view, statistics list.
nuv_test(tst_acq_doc SOURCES tst_acq_doc.cpp GUI)
