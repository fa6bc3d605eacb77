
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  "RC"
  )
# The set of files for implicit dependencies of each language:
set(CMAKE_DEPENDS_CHECK_RC
  "/work/main/daybrook/resources/daybrook.rc" "/work/main/build-i686/daybrook/CMakeFiles/daybrook.dir/resources/daybrook.rc.res"
  )

# Preprocessor definitions for this target.
set(CMAKE_TARGET_DEFINITIONS_RC
  "UNICODE"
  "WINVER=0x0601"
  "_UNICODE"
  "_WIN32_IE=0x0600"
  "_WIN32_WINNT=0x0601"
  "daybrook_EXPORTS"
  )

# The include file search paths:
set(CMAKE_RC_TARGET_INCLUDE_PATH
  "/work/main/daybrook"
  "/work/main/device/include"
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/daybrook/agenda/agenda_builder.cpp" "daybrook/CMakeFiles/daybrook.dir/agenda/agenda_builder.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/agenda/agenda_builder.cpp.obj.d"
  "/work/main/daybrook/agenda/agenda_item.cpp" "daybrook/CMakeFiles/daybrook.dir/agenda/agenda_item.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/agenda/agenda_item.cpp.obj.d"
  "/work/main/daybrook/agenda/agenda_list.cpp" "daybrook/CMakeFiles/daybrook.dir/agenda/agenda_list.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/agenda/agenda_list.cpp.obj.d"
  "/work/main/daybrook/extensions/extension_table.cpp" "daybrook/CMakeFiles/daybrook.dir/extensions/extension_table.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/extensions/extension_table.cpp.obj.d"
  "/work/main/daybrook/host/entry.cpp" "daybrook/CMakeFiles/daybrook.dir/host/entry.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/host/entry.cpp.obj.d"
  "/work/main/daybrook/host/host_state.cpp" "daybrook/CMakeFiles/daybrook.dir/host/host_state.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/host/host_state.cpp.obj.d"
  "/work/main/daybrook/host/item_window.cpp" "daybrook/CMakeFiles/daybrook.dir/host/item_window.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/host/item_window.cpp.obj.d"
  "/work/main/daybrook/host/loader.cpp" "daybrook/CMakeFiles/daybrook.dir/host/loader.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/host/loader.cpp.obj.d"
  "/work/main/daybrook/host/resource_module.cpp" "daybrook/CMakeFiles/daybrook.dir/host/resource_module.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/host/resource_module.cpp.obj.d"
  "/work/main/daybrook/interact/installed_programs.cpp" "daybrook/CMakeFiles/daybrook.dir/interact/installed_programs.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/interact/installed_programs.cpp.obj.d"
  "/work/main/daybrook/settings/options.cpp" "daybrook/CMakeFiles/daybrook.dir/settings/options.cpp.obj" "gcc" "daybrook/CMakeFiles/daybrook.dir/settings/options.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build-i686/device/CMakeFiles/cedevice.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
