# Waveform views: geometry and scaling (core), interaction and data flow, painting.
nuv_test(tst_curve_geom SOURCES tst_curve_geom.cpp)
nuv_test(tst_curve_view SOURCES tst_curve_view.cpp GUI)
nuv_test(tst_curve_paint SOURCES tst_curve_paint.cpp GUI)
