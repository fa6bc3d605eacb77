
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/daybrook/agenda/agenda_builder.cpp" "daybrook/CMakeFiles/daybrook_core.dir/agenda/agenda_builder.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/agenda/agenda_builder.cpp.obj.d"
  "/work/main/daybrook/agenda/agenda_item.cpp" "daybrook/CMakeFiles/daybrook_core.dir/agenda/agenda_item.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/agenda/agenda_item.cpp.obj.d"
  "/work/main/daybrook/agenda/agenda_list.cpp" "daybrook/CMakeFiles/daybrook_core.dir/agenda/agenda_list.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/agenda/agenda_list.cpp.obj.d"
  "/work/main/daybrook/extensions/extension_table.cpp" "daybrook/CMakeFiles/daybrook_core.dir/extensions/extension_table.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/extensions/extension_table.cpp.obj.d"
  "/work/main/daybrook/host/entry.cpp" "daybrook/CMakeFiles/daybrook_core.dir/host/entry.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/host/entry.cpp.obj.d"
  "/work/main/daybrook/host/host_state.cpp" "daybrook/CMakeFiles/daybrook_core.dir/host/host_state.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/host/host_state.cpp.obj.d"
  "/work/main/daybrook/host/item_window.cpp" "daybrook/CMakeFiles/daybrook_core.dir/host/item_window.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/host/item_window.cpp.obj.d"
  "/work/main/daybrook/host/loader.cpp" "daybrook/CMakeFiles/daybrook_core.dir/host/loader.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/host/loader.cpp.obj.d"
  "/work/main/daybrook/host/resource_module.cpp" "daybrook/CMakeFiles/daybrook_core.dir/host/resource_module.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/host/resource_module.cpp.obj.d"
  "/work/main/daybrook/interact/installed_programs.cpp" "daybrook/CMakeFiles/daybrook_core.dir/interact/installed_programs.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/interact/installed_programs.cpp.obj.d"
  "/work/main/daybrook/settings/options.cpp" "daybrook/CMakeFiles/daybrook_core.dir/settings/options.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook_core.dir/settings/options.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build-i686/device/CMakeFiles/cedevice.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
