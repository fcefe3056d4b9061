# Application shell: instance markers, start-up decision table, device information, frames,
# tabs, bars and the command table.
add_executable(shell_marker_holder tst_shell_holder.cpp)
target_link_libraries(shell_marker_holder PRIVATE nuvcore)

nuv_test(tst_shell_rules SOURCES tst_shell_rules.cpp)
nuv_test(tst_shell_markers SOURCES tst_shell_markers.cpp tst_shell_holder.h)
nuv_test(tst_shell_handover SOURCES tst_shell_handover.cpp tst_shell_holder.h)
nuv_test(tst_shell_instances SOURCES tst_shell_instances.cpp tst_shell_holder.h GUI)
nuv_test(tst_shell_startup SOURCES tst_shell_startup.cpp tst_shell_holder.h GUI)
nuv_test(tst_shell_frames SOURCES tst_shell_frames.cpp GUI)
foreach(t tst_shell_markers tst_shell_startup tst_shell_handover tst_shell_instances)
  target_compile_definitions(${t} PRIVATE SHELL_HOLDER="$<TARGET_FILE:shell_marker_holder>")
  add_dependencies(${t} shell_marker_holder)
endforeach()
nuv_test(tst_shell_teardown SOURCES tst_shell_teardown.cpp GUI)
