# Waveform views: geometry and scaling (core), interaction and data flow, painting.
nuv_test(tst_curve_geom SOURCES tst_curve_geom.cpp)
nuv_test(tst_curve_view SOURCES tst_curve_view.cpp GUI)
nuv_test(tst_curve_paint SOURCES tst_curve_paint.cpp GUI)
# Measuring on the traces: statistics, time axis, fitted scales, cursor read-out.
nuv_test(tst_curve_measure SOURCES tst_curve_measure.cpp GUI)
# Quick painting against the paint engine: traces, scroll steps, new readings.
nuv_test(tst_curve_incremental SOURCES tst_curve_incremental.cpp GUI)
