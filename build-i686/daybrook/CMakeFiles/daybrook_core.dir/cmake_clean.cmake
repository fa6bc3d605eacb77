file(REMOVE_RECURSE
  "../lib/libdaybrook_core.a"
  "../lib/libdaybrook_core.pdb"
  "CMakeFiles/daybrook_core.dir/agenda/agenda_builder.cpp.obj"
  "CMakeFiles/daybrook_core.dir/agenda/agenda_builder.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/agenda/agenda_item.cpp.obj"
  "CMakeFiles/daybrook_core.dir/agenda/agenda_item.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/agenda/agenda_list.cpp.obj"
  "CMakeFiles/daybrook_core.dir/agenda/agenda_list.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/extensions/extension_table.cpp.obj"
  "CMakeFiles/daybrook_core.dir/extensions/extension_table.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/host/entry.cpp.obj"
  "CMakeFiles/daybrook_core.dir/host/entry.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/host/host_state.cpp.obj"
  "CMakeFiles/daybrook_core.dir/host/host_state.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/host/item_window.cpp.obj"
  "CMakeFiles/daybrook_core.dir/host/item_window.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/host/loader.cpp.obj"
  "CMakeFiles/daybrook_core.dir/host/loader.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/host/resource_module.cpp.obj"
  "CMakeFiles/daybrook_core.dir/host/resource_module.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/interact/installed_programs.cpp.obj"
  "CMakeFiles/daybrook_core.dir/interact/installed_programs.cpp.obj.d"
  "CMakeFiles/daybrook_core.dir/settings/options.cpp.obj"
  "CMakeFiles/daybrook_core.dir/settings/options.cpp.obj.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/daybrook_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
